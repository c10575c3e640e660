#pragma once
// The file dialog answered as a user would: `path` chosen with the filter
// numbered `filterIndex` (from 1).

#include <QString>

#include "o_Prompts.h"

namespace testenv {

inline void answerFileWith(const QString &path, int filterIndex)
{
    prompts::setFileAnswerer([path, filterIndex](const prompts::FileRequest &) {
        prompts::FileAnswer a;
        a.accepted = true;
        a.fileName = path;
        a.filterIndex = filterIndex;
        return a;
    });
}

} // namespace testenv
