#include "access_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>

#include "ado_errors.h"

namespace ado::odbc {
namespace {

// ---- the file's page structure ----

constexpr unsigned char kDataPage = 0x01;
constexpr unsigned char kTableDefinitionPage = 0x02;
constexpr unsigned char kLastPageType = 0x09;
constexpr size_t kCataloguePage = 2; // MSysObjects' table definition
// Jet 4 and later: where a table definition keeps the row pointers of its
// used-pages and free-pages maps, and where a data page keeps its row offsets.
constexpr size_t kUsedPagesMap = 55;
constexpr size_t kFreePagesMap = 59;
constexpr size_t kRowCount = 12;
constexpr size_t kRowOffsets = 14;

uint32_t u32(const unsigned char *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t u16(const unsigned char *p) { return uint16_t(p[0] | p[1] << 8); }

[[noreturn]] void damaged(const std::string &path, const std::string &why)
{
    throw EProviderError("The database file '" + path + "' is damaged or cut short: " + why + ".");
}

// The file's pages, mapped read-only (a database may be far larger than
// what should be copied into memory to look at it).
class Pages {
public:
    Pages(const std::string &path, size_t bytes, size_t pageSize) : m_length(bytes), m_pageSize(pageSize)
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            void *map = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, fd, 0);
            ::close(fd);
            if (map != MAP_FAILED)
                m_bytes = static_cast<const unsigned char *>(map);
        }
        if (!m_bytes)
            throw EProviderError("The database file '" + path + "' could not be read.");
    }
    ~Pages() { ::munmap(const_cast<unsigned char *>(m_bytes), m_length); }
    Pages(const Pages &) = delete;
    Pages &operator=(const Pages &) = delete;

    size_t count() const { return m_length / m_pageSize; }
    size_t size() const { return m_pageSize; }
    const unsigned char *page(size_t n) const { return m_bytes + n * m_pageSize; }

    // Row `row` of data page `pageNumber`, empty when there is no such row.
    std::string_view row(size_t pageNumber, size_t row) const
    {
        if (pageNumber >= count())
            return {};
        const unsigned char *p = page(pageNumber);
        if (p[0] != kDataPage || row >= u16(p + kRowCount) || kRowOffsets + 2 * (row + 1) > m_pageSize)
            return {};
        const size_t start = u16(p + kRowOffsets + 2 * row) & 0x1fff;
        const size_t end = row == 0 ? m_pageSize : u16(p + kRowOffsets + 2 * (row - 1)) & 0x1fff;
        if (start >= end || end > m_pageSize)
            return {};
        return {reinterpret_cast<const char *>(p) + start, end - start};
    }

private:
    const unsigned char *m_bytes = nullptr;
    size_t m_length;
    size_t m_pageSize;
};

// Calls `use(page)` for every page that a usage map marks; the map's own
// pages are passed too.
template <class Use>
void markedPages(const Pages &pages, std::string_view map, Use use)
{
    if (map.size() < 5)
        return;
    const auto *m = reinterpret_cast<const unsigned char *>(map.data());
    auto bits = [&use](const unsigned char *bitmap, size_t length, size_t first) {
        for (size_t i = 0; i < length; ++i)
            for (int k = 0; k < 8; ++k)
                if (bitmap[i] >> k & 1)
                    use(first + i * 8 + size_t(k));
    };
    if (m[0] == 0) { // the bitmap in the row, from a start page
        bits(m + 5, map.size() - 5, u32(m + 1));
    } else if (m[0] == 1) { // a list of bitmap pages, each covering a fixed span
        const size_t span = (pages.size() - 4) * 8;
        for (size_t j = 0; 1 + 4 * (j + 1) <= map.size(); ++j) {
            const uint32_t mapPage = u32(m + 1 + 4 * j);
            if (mapPage == 0)
                continue;
            use(mapPage);
            if (mapPage < pages.count())
                bits(pages.page(mapPage) + 4, pages.size() - 4, j * span);
        }
    }
}

// The highest page that the file's own structure refers to (Jet 4 and later).
size_t highestReferencedPage(const Pages &pages)
{
    const size_t n = pages.count();
    std::set<size_t> continuations; // table definitions that go on over several pages
    for (size_t p = 0; p < n; ++p)
        if (pages.page(p)[0] == kTableDefinitionPage && u32(pages.page(p) + 4) != 0)
            continuations.insert(u32(pages.page(p) + 4));
    size_t highest = 0;
    auto refer = [&highest](size_t page) { highest = std::max(highest, page); };
    for (size_t p = 0; p < n; ++p) {
        const unsigned char *page = pages.page(p);
        if (page[0] == kDataPage) {
            if (std::memcmp(page + 4, "LVAL", 4) != 0) // long-value pages belong to no table
                refer(u32(page + 4));
        } else if (page[0] == kTableDefinitionPage) {
            refer(u32(page + 4));
            if (continuations.count(p))
                continue;
            for (size_t at : {kUsedPagesMap, kFreePagesMap}) {
                const uint32_t pointer = u32(page + at);
                const size_t mapPage = pointer >> 8;
                refer(mapPage);
                markedPages(pages, pages.row(mapPage, pointer & 0xff), refer);
            }
        }
    }
    return highest;
}

// ---- the driver's output ----

std::recursive_mutex g_captureMutex;
int g_depth = 0;       // guarded by g_captureMutex
int g_savedStderr = -1;
int g_capture = -1;

std::string readFrom(int fd, long start)
{
    std::string text;
    char buffer[4096];
    for (off_t at = start;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, at);
        if (n <= 0)
            break;
        text.append(buffer, size_t(n));
        at += n;
    }
    return text;
}

} // namespace

void checkAccessFile(const std::string &path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        throw EProviderError("Could not find file '" + path + "'.");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::ifstream file(path, std::ios::binary);
    unsigned char header[0x15] = {};
    if (error || !file || !file.read(reinterpret_cast<char *>(header), sizeof header))
        throw EProviderError("Unrecognized database format '" + path + "'.");
    const std::string_view signature(reinterpret_cast<const char *>(header) + 4, 15);
    if (u32(header) != 0x100 || (signature != "Standard Jet DB" && signature != "Standard ACE DB"))
        throw EProviderError("Unrecognized database format '" + path + "'.");
    const bool jet3 = header[0x14] == 0;
    const size_t pageSize = jet3 ? 2048 : 4096;
    if (size % pageSize != 0)
        damaged(path, "its " + std::to_string(size) + " bytes are not a whole number of " + std::to_string(pageSize) +
                          "-byte pages");
    if (size / pageSize <= kCataloguePage)
        damaged(path, "it ends before its catalogue");

    const Pages pages(path, size_t(size), pageSize);
    if (pages.page(kCataloguePage)[0] != kTableDefinitionPage)
        damaged(path, "its catalogue page is not a table definition");
    for (size_t p = 1; p < pages.count(); ++p)
        if (pages.page(p)[0] > kLastPageType)
            damaged(path, "page " + std::to_string(p) + " is of no known kind");
    if (jet3)
        return; // the older layout keeps its maps elsewhere; the checks above are all it gets
    const size_t highest = highestReferencedPage(pages);
    if (highest >= pages.count())
        damaged(path, "it holds " + std::to_string(pages.count()) + " pages and refers to page " +
                          std::to_string(highest));
}

std::string firstReadError(const std::string &output)
{
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string_view line(output.data() + start, end - start);
        for (std::string_view mark : {"beyond EOF", "reading page", "Invalid page buffer", "Invalid data location",
                                      "unrecognized usage map", "error while reading maps"})
            if (line.find(mark) != std::string_view::npos)
                return std::string(line);
        start = end + 1;
    }
    return {};
}

DriverOutputCapture::DriverOutputCapture(bool active) : m_active(active)
{
    if (!m_active)
        return;
    m_lock = std::unique_lock(g_captureMutex);
    if (g_depth++ == 0) {
        std::fflush(stderr);
        g_capture = memfd_create("tabulon-driver-output", MFD_CLOEXEC);
        g_savedStderr = g_capture < 0 ? -1 : fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (g_savedStderr >= 0)
            dup2(g_capture, STDERR_FILENO);
    }
    if (g_capture >= 0)
        m_start = long(lseek(g_capture, 0, SEEK_END));
}

std::string DriverOutputCapture::readError() const
{
    if (!m_active || g_capture < 0)
        return {};
    std::fflush(stderr);
    return firstReadError(readFrom(g_capture, m_start));
}

DriverOutputCapture::~DriverOutputCapture()
{
    if (!m_active || --g_depth > 0)
        return;
    std::fflush(stderr);
    // The driver's words are not told apart from anyone else's: what was
    // written meanwhile is dropped with them.
    if (g_savedStderr >= 0) {
        dup2(g_savedStderr, STDERR_FILENO);
        close(g_savedStderr);
    }
    if (g_capture >= 0)
        close(g_capture);
    g_savedStderr = -1;
    g_capture = -1;
}

} // namespace ado::odbc
