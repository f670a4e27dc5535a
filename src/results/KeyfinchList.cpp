// The result list view. Every change is a message to the control, so the search thread can add
// rows while the user sorts or reads them.
#include "KeyfinchList.h"

#include <commctrl.h>
#include "DialogHelpers.h"
#include "KeyfinchMain.h"
#include "Resource.h"

TListSortState ListSortState;

static const KChar* const ColumnCaptions[] = {
    KT("名前"), KT("場所"), KT("データ"), KT("種類"),
#if !defined(KEYFINCH_ANSI)
    KT("更新日時"),
#endif
};

void InitResultColumns()
{
    SendMessage(ResultList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    SendMessage(ResultList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ResultImageList));
    for (int column = 0; column < ResultColumnCount; ++column) {
        LVCOLUMN item = {};
        item.mask = LVCF_TEXT;
        item.pszText = const_cast<KChar*>(ColumnCaptions[column]);
        SendMessage(ResultList, LVM_INSERTCOLUMN, column, reinterpret_cast<LPARAM>(&item));
    }
}

static void SetCellText(int row, int column, const TString& text)
{
    LVITEM item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<KChar*>(text.c_str());
    SendMessage(ResultList, LVM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
}

// Rows are always appended, also after a sort, and never scroll the list or change the
// selection.
void AddHit(const KChar* name, size_t nameLength, const TString& location, uint32_t type, TFileTime lastWrite,
            uint32_t dataSize, const uint8_t* data)
{
    TString nameText = HitNameText(name, nameLength, DefaultValueLabel);
    LVITEM item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessage(ResultList, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<KChar*>(nameText.c_str());
    int row = static_cast<int>(SendMessage(ResultList, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    SetCellText(row, 1, location);
    SetCellText(row, 2, HitDataText(type, data, dataSize));
    SetCellText(row, 3, HitTypeText(type));
#if !defined(KEYFINCH_ANSI)
    SetCellText(row, 4, HitTimeText(lastWrite));
#endif
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = HitImageIndex(type);
    SendMessage(ResultList, LVM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
    if (row == 0) {
        // Keyboard navigation starts at the first hit; it is not selected.
        LVITEM state = {};
        state.state = LVIS_FOCUSED;
        state.stateMask = LVIS_FOCUSED;
        SendMessage(ResultList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    }
}

int GetSelectedRow()
{
    return static_cast<int>(SendMessage(ResultList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

TString GetRowText(int row, int column)
{
    KChar text[CellTextRoom] = {};
    LVITEM item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(CellTextRoom);
    LRESULT length = SendMessage(ResultList, LVM_GETITEMTEXT, row, reinterpret_cast<LPARAM>(&item));
    return TString(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void ClearList()
{
    SendMessage(ResultList, LVM_DELETEALLITEMS, 0, 0);
}

static int CALLBACK CompareRows(LPARAM row1, LPARAM row2, LPARAM)
{
    return CompareSortTexts(ListSortState, static_cast<size_t>(row1), static_cast<size_t>(row2));
}

// The shown texts are what sorts: each row remembers its position before the sort, which
// indexes the texts of the sorted column.
void SortByColumn(int column)
{
    if (column < 0 || column >= ResultColumnCount)
        return;
    ChooseSortDirection(ListSortState, column);
    int count = static_cast<int>(SendMessage(ResultList, LVM_GETITEMCOUNT, 0, 0));
    ListSortState.SortTexts.assign(count > 0 ? count : 0, TString());
    for (int row = 0; row < count; ++row) {
        ListSortState.SortTexts[row] = SortKeyText(GetRowText(row, column));
        LVITEM item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = row;
        SendMessage(ResultList, LVM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessage(ResultList, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareRows));
    HMENU sortMenu = FindMenuWithItem(GetMenu(MainWindow), IDM_SORTBYNAME);
    CheckMenuRadioItem(sortMenu, 0, ResultColumnCount - 1, column, MF_BYPOSITION);
}
