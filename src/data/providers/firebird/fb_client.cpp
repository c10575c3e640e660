#include "fb_client.h"

#include <ibase.h>

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "ado_errors.h"

namespace ado::fb {

namespace {

// See fb_client.h: a lock folder of our own unless one is chosen already.
void prepareEmbeddedEnvironment()
{
    if (std::getenv("FIREBIRD_LOCK") || geteuid() == 0)
        return;
    const char *tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    dir += "firebird-" + std::to_string(geteuid());
    mkdir(dir.c_str(), 0700);
    struct stat st {};
    // Only a real folder that belongs to us; otherwise the engine's default
    // applies and its own message says what is wrong.
    if (lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid()
        && (st.st_mode & 0077) == 0)
        setenv("FIREBIRD_LOCK", dir.c_str(), 0);
}

} // namespace

Firebird::IMaster *master()
{
    static std::once_flag once;
    std::call_once(once, prepareEmbeddedEnvironment);
    return Firebird::fb_get_master_interface();
}

std::string statusText(const Firebird::IStatus *status)
{
    const ISC_STATUS *vector = status->getErrors();
    std::string text;
    char line[1024];
    while (fb_interpret(line, sizeof line, &vector) > 0) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    if (text.empty())
        text = "Unknown Firebird error";
    return text;
}

void throwStatus(const Firebird::IStatus *status)
{
    throw EProviderError(statusText(status));
}

void createDatabase(const std::string &path, const std::string &defaultCharset, const std::string &user,
                    const std::string &password)
{
    using namespace Firebird;
    try {
        Status st;
        IUtil *util = master()->getUtilInterface();
        IXpbBuilder *dpb = util->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
        struct Dispose {
            IXpbBuilder *b;
            ~Dispose() { b->dispose(); }
        } disposeDpb{dpb};
        dpb->insertString(&st, isc_dpb_user_name, user.empty() ? "SYSDBA" : user.c_str());
        if (!password.empty())
            dpb->insertString(&st, isc_dpb_password, password.c_str());
        if (!defaultCharset.empty())
            dpb->insertString(&st, isc_dpb_set_db_charset, defaultCharset.c_str());
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
        Ref<IProvider> provider(master()->getDispatcher());
        Ref<IAttachment> att(provider->createDatabase(&st, path.c_str(), dpb->getBufferLength(&st),
                                                      dpb->getBuffer(&st)));
        att->detach(&st);
        att.take();
    } catch (const FbException &e) {
        throwStatus(e.getStatus());
    }
}

} // namespace ado::fb
