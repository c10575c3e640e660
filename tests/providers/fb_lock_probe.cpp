// Started by tst_firebird_lock as an ordinary user: does what a Firebird test
// does (lock folder chosen as the test programs choose it, a database made by
// isql-fb, then opened by the embedded engine in this process) and prints the
// lock folder and the tables it sees, or the failure.
//
//   fb_lock_probe FOLDER   (FOLDER: where to make the database)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "provider.h"
#include "providers/firebird/fb_lock.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fb_lock_probe FOLDER\n");
        return 2;
    }
    ado::fb::applyEmbeddedLockFolder();
    const char *lock = std::getenv("FIREBIRD_LOCK");
    std::printf("lock=%s\n", lock ? lock : "");

    const std::string path = std::string(argv[1]) + "/probe.fdb";
    const std::string script = "echo \"create database '" + path
        + "'; create table probe_table (a integer); commit;\" | isql-fb -q 2>&1";
    std::string isqlOutput;
    if (FILE *isql = popen(script.c_str(), "r")) {
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, isql)) > 0)
            isqlOutput.append(buffer, n);
        if (pclose(isql) != 0 || !isqlOutput.empty()) {
            std::printf("isql-fb failed: %s\n", isqlOutput.c_str());
            return 1;
        }
    }
    try {
        auto db = ado::ProviderRegistry::instance().create(
            "Provider=LCPI.IBProvider.3.Free;Password=;Persist Security Info=True;User ID=;Data Source=\"\";"
            "Location=" + path + ";dbclient_library=\"\";ctype=NONE;auto_commit=true");
        db->open();
        for (const std::string &table : db->tableNames())
            std::printf("table=%s\n", table.c_str());
    } catch (const std::exception &e) {
        std::printf("engine failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
