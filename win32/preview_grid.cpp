#include "win32/preview_grid.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/text.h"

namespace win32 {

namespace {

constexpr int kCaptionId = 1;
constexpr int kListId = 2;

}  // namespace

void CPreviewGrid::OnCreate()
{
    m_hCaption = AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kCaptionId);
    m_hList = AddControl(WC_LISTVIEWW, L"", LVS_REPORT | LVS_NOSORTHEADER | WS_TABSTOP, kListId, WS_EX_CLIENTEDGE);
    SendMessageW(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

// The sentence takes four lines above the grid.
void CPreviewGrid::OnSize(int cx, int cy)
{
    const int margin = Unit() / 3;
    const int caption = 4 * Unit() + margin;
    MoveWindow(m_hCaption, margin, margin, cx - 2 * margin, caption - margin, TRUE);
    MoveWindow(m_hList, margin, caption + margin, cx - 2 * margin, std::max(0, cy - caption - 2 * margin), TRUE);
}

void CPreviewGrid::ShowCaption(const std::string& text)
{
    SetWindowTextW(m_hCaption, Wide(text).c_str());
}

// The first column is the line's number, or "skip"; the file's columns follow under their fields.
void CPreviewGrid::ShowTable(const desktop::PreviewTable& table)
{
    m_table = table;
    SendMessageW(m_hList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_hList, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageW(m_hList, LVM_DELETECOLUMN, 0, 0)) {
    }
    std::vector<std::string> headers{""};
    headers.insert(headers.end(), table.headers.begin(), table.headers.end());
    for (std::size_t i = 0; i < headers.size(); ++i) {
        std::wstring text = Wide(headers[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text.data();
        column.cx = 4 * Unit();
        SendMessageW(m_hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        std::wstring label = Wide(table.rows[row].label);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = label.data();
        SendMessageW(m_hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (std::size_t cell = 0; cell < table.rows[row].cells.size(); ++cell) {
            std::wstring text = Wide(table.rows[row].cells[cell]);
            item.iSubItem = static_cast<int>(cell + 1);
            item.pszText = text.data();
            SendMessageW(m_hList, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        }
    }
    for (std::size_t i = 0; i < headers.size(); ++i)
        SendMessageW(m_hList, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE_USEHEADER);
    SendMessageW(m_hList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hList, nullptr, TRUE);
}

LRESULT CPreviewGrid::OnNotify(const NMHDR& header)
{
    if (header.idFrom != kListId || header.code != NM_CUSTOMDRAW)
        return 0;
    auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        return CDRF_NOTIFYSUBITEMDRAW;
    if (draw.nmcd.dwDrawStage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM))
        return CDRF_DODEFAULT;
    const std::size_t row = draw.nmcd.dwItemSpec;
    draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
    draw.clrTextBk = GetSysColor(COLOR_WINDOW);
    if (row < m_table.rows.size() && draw.iSubItem > 0) {
        const desktop::PreviewRow& shown = m_table.rows[row];
        if (shown.mark == desktop::ERowMark::Skipped)
            draw.clrText = GetSysColor(COLOR_GRAYTEXT);
        else if (shown.mark == desktop::ERowMark::Bad)
            draw.clrTextBk = draw.iSubItem - 1 == shown.badCell ? RGB(240, 160, 160) : RGB(255, 220, 220);
    }
    return CDRF_NEWFONT;
}

}  // namespace win32
