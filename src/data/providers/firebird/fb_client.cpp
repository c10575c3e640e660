#include "fb_client.h"

#include <ibase.h>

#include <mutex>

#include "ado_errors.h"
#include "fb_lock.h"

namespace ado::fb {

Firebird::IMaster *master()
{
    static std::once_flag once;
    std::call_once(once, applyEmbeddedLockFolder);
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
