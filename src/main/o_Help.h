#pragma once
// Where "Tabulon Help" finds its pages. The program folder is searched in
// this order:
//   Tabulon.chm                           a help file put beside the program
//   share/doc/tabulon/index.html          the manual in the build folder
//   <docdir relative to bindir>/index.html the manual of an installed program
//                                         (../share/doc/tabulon from bin/)

#include <QString>
#include <QStringList>

namespace help {

// The candidates for a program folder, in the order they are tried.
QStringList helpFileCandidates(const QString &programFolder);
// The first candidate that is an existing file; empty when there is none.
QString findHelpFile(const QString &programFolder);

} // namespace help
