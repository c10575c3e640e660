#pragma once
// The catalogue's part of a query tab's completion list: for the word at the
// caret, the columns of the tables that the statement names (aliases
// included), the tables and views of the tab's database and its schemas;
// after "name." the columns of that table or alias, or the tables of that
// schema. Names come from the cache; those not in yet are read meanwhile.

#include <string_view>

#include "o_SynMemo.h"

class TqdCatalogueCache;
class TqdServerConnection;

// At most this many names go into one list (the first ones in order); each
// letter typed narrows the list and lists again.
constexpr int kMaxListedNames = 1000;

TSynNameCompletion catalogueCompletion(TqdCatalogueCache &cache, const TqdServerConnection &server,
                                       std::string_view document, long caret);
