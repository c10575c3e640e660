#pragma once
// Where the embedded Firebird engine keeps its lock files, for this process and
// for every Firebird tool it starts.
//
// The engine's default lock folder is /tmp/firebird, which the first user to
// run an embedded engine creates with mode 0770 for himself; any other user then
// fails with "operating system directive access failed / Permission denied /
// /tmp/firebird/". So when FIREBIRD_LOCK is not set and we are not root, we use
// a private folder of our own, <TMPDIR or /tmp>/firebird-<uid> (mode 0700).
// Root keeps the default, which it can always use.
//
// tools/firebird-lock.sh applies the same rule for the shell scripts (the sample
// database, the benchmark, the test command); a test checks that the two agree.

#include <string>

namespace ado::fb {

// The folder the rule chooses for this process: FIREBIRD_LOCK when set, empty
// for root (the engine's default), else <TMPDIR or /tmp>/firebird-<uid>.
std::string embeddedLockFolder();

// Applies the rule to this process's environment, creating the private folder
// when needed; children started afterwards (isql-fb, gbak) inherit it. Safe to
// call more than once. A folder that exists but is not ours and private is left
// alone, so the engine's own message says what is wrong.
void applyEmbeddedLockFolder();

} // namespace ado::fb
