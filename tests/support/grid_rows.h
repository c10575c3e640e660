#pragma once
// Rows made in a test, shown in a result grid through a data source as a
// query's result is.

#include <memory>
#include <string>

#include "ado.h"
#include "o_DBGrid.h"

struct GridRows {
    // `statement`: the text the result came from, where a test needs one.
    void show(TDBGrid &grid, std::unique_ptr<ado::RowSet> rows, const std::string &statement = {})
    {
        dataSet = std::make_unique<ado::TADODataSet>();
        if (!statement.empty())
            dataSet->SetCommandText(statement);
        dataSet->OpenResult(std::move(rows));
        source.SetDataSet(dataSet.get());
        grid.SetDataSource(&source);
    }

    ado::TDataSource source;
    std::unique_ptr<ado::TADODataSet> dataSet;
};
