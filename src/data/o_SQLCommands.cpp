#include "o_SQLCommands.h"

#include "o_ServerConnection.h"

TqdGenericSQLCommands::TqdGenericSQLCommands(TqdServerConnection *serverConnection)
    : m_serverConnection(serverConnection),
      m_query(std::make_unique<ado::TADODataSet>(serverConnection ? serverConnection->ADOConnection() : nullptr))
{
}

TqdGenericSQLCommands::~TqdGenericSQLCommands()
{
    if (m_query)
        m_query->Close();
}

void TqdGenericSQLCommands::FillListByName(ado::TADODataSet *query, TStringList *list, const std::string &columnName)
{
    if (!query || !list)
        return;
    const ado::TField field = query->FindField(columnName);
    if (!field)
        return;
    FillListByIndex(query, list, field.Index());
}

void TqdGenericSQLCommands::FillListByIndex(ado::TADODataSet *query, TStringList *list, int index)
{
    if (!query || !list || index < 0 || index >= query->FieldCount())
        return;
    const ado::TField field = query->Fields(index);
    list->Clear();
    for (query->First(); !query->Eof(); query->Next())
        list->Add(field.AsString());
}

std::string TqdGenericSQLCommands::padded(std::string_view line, std::size_t width)
{
    std::string s(line);
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

std::string TqdGenericSQLCommands::crLines(std::initializer_list<std::string> lines, bool crAfterLast)
{
    std::string text;
    bool first = true;
    for (const std::string &line : lines) {
        if (!first)
            text += '\r';
        text += line;
        first = false;
    }
    if (crAfterLast)
        text += '\r';
    return text;
}

void TqdGenericSQLCommands::runStatement(const std::string &statement, std::initializer_list<std::string> arguments)
{
    m_query->Close();
    std::string text;
    text.reserve(statement.size() + 64);
    auto argument = arguments.begin();
    for (std::size_t i = 0; i < statement.size(); ++i) {
        if (statement[i] == '%' && i + 1 < statement.size() && statement[i + 1] == 's' &&
            argument != arguments.end()) {
            text += *argument++;
            ++i;
        } else {
            text += statement[i];
        }
    }
    m_query->SetCommandText(text);
    m_query->Open();
}

std::string TqdGenericSQLCommands::quoted(const std::string &argument)
{
    std::string s = "'";
    for (char c : argument) {
        if (c == '\'')
            s += '\'';
        s += c;
    }
    s += '\'';
    return s;
}

bool TqdGenericSQLCommands::listHolds(const TStringList &list, const std::string &name)
{
    return list.IndexOf(name) >= 0;
}
