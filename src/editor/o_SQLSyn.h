#pragma once
// TqdSQLSyn: the SQL highlighter of the editor, a Scintilla container lexer
// that knows several SQL dialects. Styling is lazy: Scintilla asks for the
// ranges it is about to show, and each line remembers the state it ends in
// (inside a block comment, a string or a quoted name) for the next one.

#include <Qsci/qscilexercustom.h>

#include <QColor>
#include <QFont>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "o_SQLSynWords.h"

class TqdSQLSyn;

// One token category's look.
class TqdSynAttri {
public:
    TqdSynAttri(TqdSQLSyn *owner, int style, const char *name) : m_owner(owner), m_style(style), m_name(name) {}
    QColor Foreground() const;
    void SetForeground(const QColor &color);
    int Style() const { return m_style; }
    const char *Name() const { return m_name; }

private:
    TqdSQLSyn *m_owner;
    int m_style;
    const char *m_name;
};

class TqdSQLSyn : public QsciLexerCustom {
    Q_OBJECT
public:
    enum Style {
        stDefault = 0,
        stComment,
        stKey,
        stDataType,
        stFunction,
        stNumber,
        stString,
        stDelimitedIdentifier,
        stVariable,
        stSymbol,
        stCount
    };
    enum class WordKind : unsigned char { None, Key, DataType, Function };

    explicit TqdSQLSyn(QObject *owner = nullptr);
    ~TqdSQLSyn() override;

    TSQLDialect SQLDialect() const { return m_dialect; }
    void SetSQLDialect(TSQLDialect dialect);

private:
    TqdSynAttri m_attris[stCount];

public:
    TqdSynAttri *const CommentAttri = &m_attris[stComment];
    TqdSynAttri *const DataTypeAttri = &m_attris[stDataType];
    TqdSynAttri *const KeyAttri = &m_attris[stKey];
    TqdSynAttri *const FunctionAttri = &m_attris[stFunction];
    TqdSynAttri *const NumberAttri = &m_attris[stNumber];
    TqdSynAttri *const StringAttri = &m_attris[stString];
    TqdSynAttri *const DelimitedIdentifierAttri = &m_attris[stDelimitedIdentifier];
    TqdSynAttri *const VariableAttri = &m_attris[stVariable];
    TqdSynAttri *const SymbolAttri = &m_attris[stSymbol];

    // Category of a word in the current dialect (case does not matter).
    WordKind wordKind(std::string_view word) const;
    // Style every byte of `text` as if it began in the plain state; for
    // tests and for measuring.
    std::string styleBytes(std::string_view text) const;

    const char *language() const override { return "SQL"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    void styleText(int start, int end) override;

private:
    // Lex `text` from `state`; writes one style per byte and calls `lineEnd`
    // with the state at the end of each line; returns the final state.
    template <typename LineEnd>
    int lex(std::string_view text, int state, char *styles, LineEnd &&lineEnd) const;
    void buildWords();

    TSQLDialect m_dialect = sqlStandard;
    std::unordered_map<std::string, unsigned char> m_words; // upper-case word -> bit set of WordKinds
};
