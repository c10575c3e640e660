#pragma once
// Access to the Firebird client library (fbclient) and its embedded engine.
//
// A local database path (no "host:" before it) is opened in-process by the
// Engine12 plugin that fbclient loads; "host:path" and "host/port:path" go to a
// server through the Remote plugin. What embedded use needs on this platform,
// found by trying it (Firebird 3.0, Debian packages):
//
// - FIREBIRD (the root folder) need not be set: the library has its install
//   folder built in and finds firebird.conf, firebird.msg and plugins there.
// - firebird.conf needs no change: the default Providers list is
//   "Remote, Engine12, Loopback", so a path without host falls through to the
//   embedded engine. The embedded engine runs as ServerMode=Super, so it holds
//   the database file exclusively: a second process (isql-fb, another copy of
//   the program) cannot open the same file while this one has it open; it
//   gets "I/O error during "lock" operation for file ... / Database already
//   opened with engine instance, incompatible with current".
// - The lock folder is the catch: see fb_lock.h, applied before the engine
//   starts.
// - No user or password is checked by the embedded engine; the user name only
//   becomes CURRENT_USER (we send SYSDBA when none is given). Files are created
//   with the process's owner and umask.

#include <firebird/Interface.h>

#include <string>

namespace ado::fb {

// The client library's master interface, with the embedded environment prepared
// the first time (see above).
Firebird::IMaster *master();

// The status vector's messages, one line each (as fb_interpret gives them),
// joined with a line break.
std::string statusText(const Firebird::IStatus *status);
// Throws ado::EProviderError with statusText(status).
[[noreturn]] void throwStatus(const Firebird::IStatus *status);

// A status wrapper that throws FbException and gives its status back when done.
class Status : public Firebird::ThrowStatusWrapper {
public:
    Status() : ThrowStatusWrapper(master()->getStatus()) {}
    ~Status() { dispose(); }
    Status(const Status &) = delete;
    Status &operator=(const Status &) = delete;
};

// Releases a Firebird interface when it goes out of scope.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T *p) : m_p(p) {}
    ~Ref() { reset(); }
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    Ref(Ref &&o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    Ref &operator=(Ref &&o) noexcept
    {
        if (this != &o) {
            reset();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T *take()
    {
        T *p = m_p;
        m_p = nullptr;
        return p;
    }
    void reset(T *p = nullptr)
    {
        if (m_p)
            m_p->release();
        m_p = p;
    }

private:
    T *m_p = nullptr;
};

// Creates a database file (embedded when the path is local), failing when it
// exists. defaultCharset may be empty (NONE). Throws EProviderError.
void createDatabase(const std::string &path, const std::string &defaultCharset = {},
                    const std::string &user = "SYSDBA", const std::string &password = {});

} // namespace ado::fb
