#pragma once
// Rows made in a test, shown in a result grid through a data source as a
// query's result is.

#include <memory>

#include "ado.h"
#include "o_DBGrid.h"

struct GridRows {
    void show(TDBGrid &grid, std::unique_ptr<ado::MemoryRowSet> rows)
    {
        dataSet = std::make_unique<ado::TADODataSet>();
        dataSet->OpenResult(std::move(rows));
        source.SetDataSet(dataSet.get());
        grid.SetDataSource(&source);
    }

    ado::TDataSource source;
    std::unique_ptr<ado::TADODataSet> dataSet;
};
