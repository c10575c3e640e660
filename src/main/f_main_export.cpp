// The main window's way to the active tab's result: "Export Result...".
#include "f_main.h"

#include "o_DBGrid.h"
#include "o_GridMenu.h"
#include "o_SQLPageControl.h"
#include "o_SQLTab.h"

void TFrmMain::mnuExportResultClick()
{
    // Nothing to export without a tab or with no rows shown.
    if (TDBGrid *grid = TGridMenu::shownGrid(SQLPageControl ? SQLPageControl->ActiveSQLTab() : nullptr))
        TGridMenu::exportAll(*grid);
}
