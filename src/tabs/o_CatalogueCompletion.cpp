#include "o_CatalogueCompletion.h"

#include "o_CatalogueCache.h"
#include "o_CompletionContext.h"
#include "o_SQLNames.h"
#include "o_ServerConnection.h"

#include <QSet>

#include <algorithm>

namespace {

using TKind = TqdCatalogueCache::TKind;

// How far before and after the caret a long script is split.
constexpr std::size_t kSplitAround = 64 * 1024;

bool sameName(const std::string &a, const std::string &b) { return lowerAscii(a) == lowerAscii(b); }

class Collector {
public:
    Collector(TqdCatalogueCache &cache, const TqdServerConnection &server, const TqdCompletionWord &word)
        : m_cache(cache), m_server(server), m_word(word)
    {
    }

    TSynNameCompletion result;

    // A list from the cache; null (and the result pending) while it is read.
    TqdCatalogueCache::TNames list(TKind kind, const std::string &schema = {}, const std::string &table = {})
    {
        TqdCatalogueCache::TNames names = m_cache.names(m_server, kind, schema, table);
        if (!names)
            result.pending = true;
        return names;
    }
    // The names of a list that fit the typed word, in order.
    void add(const TqdCatalogueCache::TNames &names)
    {
        if (!names)
            return;
        for (const std::string &name : names->startingWith(m_word.prefix, kMaxListedNames)) {
            if (result.names.size() >= kMaxListedNames)
                return;
            const QString shown = QString::fromStdString(name);
            if (m_seen.contains(shown))
                continue;
            m_seen.insert(shown);
            const std::string sql =
                m_word.quoted ? quotedName(m_server.DBEngine, name) : sqlName(m_server.DBEngine, name);
            result.names += m_word.quoted ? QString::fromStdString(sql) : shown;
            result.inserted += QString::fromStdString(sql);
        }
    }

private:
    TqdCatalogueCache &m_cache;
    const TqdServerConnection &m_server;
    const TqdCompletionWord &m_word;
    QSet<QString> m_seen;
};

} // namespace

TSynNameCompletion catalogueCompletion(TqdCatalogueCache &cache, const TqdServerConnection &server,
                                       std::string_view document, long caret)
{
    if (server.DBEngine == seNone || !server.Connected() || caret < 0 || std::size_t(caret) > document.size())
        return {};
    const TqdServerEngine engine = server.DBEngine;

    // The statement around the caret. A long script is split only near the
    // caret, from a line's start, so that a keystroke costs the same however
    // long the script is.
    std::size_t base = 0;
    std::string_view scope = document;
    if (document.size() > 2 * kSplitAround) {
        base = std::size_t(caret) > kSplitAround ? std::size_t(caret) - kSplitAround : 0;
        const std::size_t lineBreak = base > 0 ? document.find('\n', base) : std::string_view::npos;
        if (lineBreak < std::size_t(caret))
            base = lineBreak + 1;
        scope = document.substr(base, std::size_t(caret) + kSplitAround - base);
    }
    const std::vector<TqdScriptStatement> statements = SplitScript(scope, scriptDialect(engine));
    const int at = StatementAt(statements, std::size_t(caret) - base);
    std::size_t offset = base;
    std::string_view statement;
    if (at >= 0 && base + statements[std::size_t(at)].offset <= std::size_t(caret)) {
        offset = base + statements[std::size_t(at)].offset;
        statement = statements[std::size_t(at)].text;
    } else if (at > 0) {
        // between statements: the text since the one before
        offset = base + statements[std::size_t(at) - 1].end;
    }
    const TqdCompletionWord word =
        completionWordAt(engine, document.substr(offset, std::size_t(caret) - offset), std::size_t(caret) - offset);

    Collector collector(cache, server, word);
    TSynNameCompletion &result = collector.result;
    result.handled = true;
    result.wordStart = long(offset + word.start);
    result.keywords = !word.quoted && word.qualifier.empty();
    if (word.none) {
        result.keywords = false;
        return result;
    }

    const std::vector<TqdStatementTable> tables = statementTables(engine, statement);
    const TqdCatalogueCache::TNames defaults = collector.list(TKind::DefaultSchema);
    const std::string defaultSchema = defaults && !defaults->empty() ? defaults->names().front() : std::string();
    auto schemaOf = [&](const TqdStatementTable &t) { return t.schema.empty() ? defaultSchema : t.schema; };
    // a table with a schema of its own can be read before the default schema is known
    auto addColumns = [&](const TqdStatementTable &t) {
        if (!t.schema.empty() || defaults)
            collector.add(collector.list(TKind::Columns, schemaOf(t), t.table));
    };

    if (word.qualifier.size() >= 2) {
        const std::size_t n = word.qualifier.size();
        addColumns({word.qualifier[n - 2], word.qualifier[n - 1], {}});
    } else if (word.qualifier.size() == 1) {
        const std::string &name = word.qualifier.front();
        auto alias = std::find_if(tables.begin(), tables.end(), [&](const auto &t) { return sameName(t.alias, name); });
        if (alias == tables.end())
            alias = std::find_if(tables.begin(), tables.end(),
                                 [&](const auto &t) { return t.alias.empty() && sameName(t.table, name); });
        if (alias != tables.end()) {
            addColumns(*alias);
        } else {
            // a schema's tables, else the columns of a table of the default schema
            const TqdCatalogueCache::TNames schemas = collector.list(TKind::Schemas);
            if (schemas && schemas->contains(name))
                collector.add(collector.list(TKind::Tables, name));
            else if (schemas)
                addColumns({{}, name, {}});
        }
    } else {
        for (const TqdStatementTable &t : tables)
            addColumns(t);
        if (defaults)
            collector.add(collector.list(TKind::Tables, defaultSchema));
        collector.add(collector.list(TKind::Schemas));
    }
    return result;
}
