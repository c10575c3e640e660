#include "fb_lock.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace ado::fb {

std::string embeddedLockFolder()
{
    if (const char *set = std::getenv("FIREBIRD_LOCK"); set && *set)
        return set;
    if (geteuid() == 0)
        return {};
    const char *tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (dir != "/")
        dir += '/';
    return dir + "firebird-" + std::to_string(geteuid());
}

void applyEmbeddedLockFolder()
{
    if (const char *set = std::getenv("FIREBIRD_LOCK"); (set && *set) || geteuid() == 0)
        return;
    const std::string dir = embeddedLockFolder();
    mkdir(dir.c_str(), 0700);
    struct stat st {};
    if (lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid()
        && (st.st_mode & 0077) == 0)
        setenv("FIREBIRD_LOCK", dir.c_str(), 0);
}

} // namespace ado::fb
