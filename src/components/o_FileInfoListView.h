#pragma once
// TqdFileInfoListView: a two-column Key/Value list of a file's version
// information (company, description, file name, versions, names, copyright).
// It owns the TqdFileInfo that reads the file. The rows are rebuilt whenever
// FileName is assigned and whenever the control gets a parent.

#include "o_FileInfo.h"

#include <QTreeWidget>

#include <string>

class TqdFileInfoListView : public QTreeWidget {
    Q_OBJECT
public:
    // 254 by 166, report view. Constructed with a parent, it has its columns
    // and rows at once (as it would on getting one later).
    explicit TqdFileInfoListView(QWidget *parent = nullptr);

    const std::string &FileName() const { return FFileName; }
    // Throws EqdError "%s file does not exist!" for a non-blank name that is
    // not an existing file; FileName holds the new text even then, while the
    // rows and the owned TqdFileInfo stay as they were. A blank name shows the
    // running executable.
    void SetFileName(const std::string &name);

    // Discards and recreates the columns (half the width each) and the ten rows.
    virtual void RebuildList();

    // When false (the default), row captions can be edited in place.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);

    // Selection highlights the whole row.
    bool RowSelect() const { return selectionBehavior() == SelectRows; }
    void SetRowSelect(bool rowSelect) { setSelectionBehavior(rowSelect ? SelectRows : SelectItems); }

    TqdFileInfo *FileInfo() const { return FFileInfo; }

protected:
    bool event(QEvent *e) override;
    // A cell whose text the column cuts shows the whole text as its tooltip.
    bool viewportEvent(QEvent *e) override;

private:
    void applyItemFlags(QTreeWidgetItem *item) const;

    std::string FFileName;
    TqdFileInfo *FFileInfo;
    bool FReadOnly = false;
};
