#pragma once
// What is checked of an Access file before the MDBTools driver sees it, and
// how the driver's own complaints are kept off the terminal.
//
// The driver opens a cut or foreign file without a word and then reads past
// its end as if the missing pages were empty; it reports that only on the
// process's stderr. So a file is checked first (header, page size, pages
// against the file size), and while the driver works its stderr output is
// caught: read errors in it fail the call, the rest is dropped (with whatever
// another thread writes to stderr in that moment).

#include <mutex>
#include <string>

namespace ado::odbc {

// Throws EProviderError naming the file when it is missing, not an Access
// file, or cut short or damaged in a way its page structure shows.
void checkAccessFile(const std::string &path);

// While it lives, the process's stderr goes to a temporary file, and other
// threads that use the driver wait (the driver's complaints carry no handle,
// so only one call at a time can own them). Nested captures share one. An
// inactive capture (for other drivers) does nothing.
class DriverOutputCapture {
public:
    explicit DriverOutputCapture(bool active = true);
    ~DriverOutputCapture();
    DriverOutputCapture(const DriverOutputCapture &) = delete;
    DriverOutputCapture &operator=(const DriverOutputCapture &) = delete;

    // The first complaint about a page that could not be read since this
    // capture began ("" when there was none).
    std::string readError() const;

private:
    bool m_active;
    std::unique_lock<std::recursive_mutex> m_lock;
    long m_start = 0; // where this capture's text begins in the temporary file
};

// The lines of driver output that tell of a page that could not be read.
std::string firstReadError(const std::string &driverOutput);

} // namespace ado::odbc
