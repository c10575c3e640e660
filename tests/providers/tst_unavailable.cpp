// SQL Server Compact files cannot be opened here: the two providers say so.
#include <gtest/gtest.h>

#include "ado_errors.h"
#include "provider.h"

namespace {

struct Case {
    const char *provider;
    const char *message;
};

TEST(UnavailableProviders, OpenFailsNamingTheProvider)
{
    const Case cases[] = {
        {"Microsoft.SQLSERVER.MOBILE.OLEDB.3.0",
         "The provider Microsoft.SQLSERVER.MOBILE.OLEDB.3.0 (SQL Server Compact 3.1) is not available on this "
         "system: SQL Server Compact database files cannot be opened on Linux."},
        {"Microsoft.SQLSERVER.CE.OLEDB.3.5",
         "The provider Microsoft.SQLSERVER.CE.OLEDB.3.5 (SQL Server Compact 3.5) is not available on this system: "
         "SQL Server Compact database files cannot be opened on Linux."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.provider);
        auto connection = ado::ProviderRegistry::instance().create(std::string("Provider=") + c.provider +
                                                                   ";Data Source=/tmp/x.sdf;Persist Security Info=False");
        try {
            connection->open();
            FAIL() << "open succeeded";
        } catch (const ado::EProviderError &e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_FALSE(connection->isOpen());
        EXPECT_THROW(connection->execute("select 1"), ado::EProviderError);
    }
}

} // namespace
