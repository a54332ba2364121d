// The list view and tree view adapters on the harness, under Wine: section colours
// before and after a skin switch and exactly restored when the skin goes, the skinned
// header's faces, hot and pressed items and its sort mark, and the list scrolled by
// items while its thumb is dragged.
#include "tests/skin/harness/HarnessKit.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "skin/paint/sCanvasPaint.h"
#include "skin/paint/sSectionPaint.h"

namespace sj::harness::test {
namespace {

constexpr const char* kSecondSkin = "Harbor Mist (internal)";

COLORREF EditColorOf(const TsSkinManager& manager) {
    const TsSkinModel& model = manager.Model();
    const std::int32_t edit = model.SectionIndexOf("EDIT");
    return static_cast<COLORREF>(
        PaintColorToRGB(static_cast<std::uint32_t>(model.GeneralData[static_cast<std::size_t>(edit)].StateProps[0].Color)) &
        0x00FFFFFF);
}

class ListViewsTest : public HarnessTest {
protected:
    TacListViewWnd& ListAdapter() {
        auto* adapter = dynamic_cast<TacListViewWnd*>(AdapterOf(List()));
        EXPECT_NE(adapter, nullptr);
        return *adapter;
    }
    HWND Header() { return reinterpret_cast<HWND>(::SendMessageA(List(), LVM_GETHEADER, 0, 0)); }
    RECT HeaderItem(int index) {
        RECT r{};
        ::SendMessageA(Header(), HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    std::unique_ptr<TBitmap> PrintHeader() {
        RECT client{};
        ::GetClientRect(Header(), &client);
        auto bitmap = CreateBitmap32(client.right, client.bottom);
        ::SendMessageA(Header(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap->Canvas().Handle()), PRF_CLIENT);
        return bitmap;
    }
    // The core's header face at an item's size in a state.
    std::unique_ptr<TBitmap> CoreHeaderFace(const RECT& item, int state) {
        auto face = CreateBitmap32(item.right - item.left, item.bottom - item.top);
        PaintSectionFaceByName(face->Pixels(), &form->Manager->Model(), "COLHEADER", "BUTTON",
                               static_cast<std::uint32_t>(::SendMessageA(List(), LVM_GETBKCOLOR, 0, 0)), state);
        return face;
    }
};

TEST_F(ListViewsTest, ListAndTreeTakeTheSectionColoursAndGiveTheirOwnBackExactly) {
    ASSERT_NE(dynamic_cast<TacTreeViewWnd*>(AdapterOf(Tree())), nullptr);
    ListAdapter();
    const COLORREF zest = EditColorOf(*form->Manager);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageA(List(), LVM_GETBKCOLOR, 0, 0)), zest);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageA(List(), LVM_GETTEXTBKCOLOR, 0, 0)), zest);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageA(Tree(), TVM_GETBKCOLOR, 0, 0)), zest);

    form->Manager->SetSkinName(kSecondSkin);
    Pump(50);
    const COLORREF harbor = EditColorOf(*form->Manager);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageA(List(), LVM_GETBKCOLOR, 0, 0)), harbor);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageA(Tree(), TVM_GETBKCOLOR, 0, 0)), harbor);
    std::printf("EDIT colour: Zest %06lX, Harbor Mist %06lX\n", zest, harbor);

    form->Manager->SetActive(false);
    Pump(50);
    EXPECT_EQ(AdapterOf(List()), nullptr);
    EXPECT_EQ(AdapterOf(Tree()), nullptr);
    // Exactly what a list and a tree never skinned report.
    HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 10, 10, form->Handle(), nullptr,
                                  nullptr, nullptr);
    HWND tree = ::CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr, nullptr,
                                  nullptr);
    for (UINT get : {LVM_GETBKCOLOR, LVM_GETTEXTBKCOLOR, LVM_GETTEXTCOLOR})
        EXPECT_EQ(::SendMessageA(List(), get, 0, 0), ::SendMessageA(list, get, 0, 0)) << get;
    for (UINT get : {TVM_GETBKCOLOR, TVM_GETTEXTCOLOR})
        EXPECT_EQ(::SendMessageA(Tree(), get, 0, 0), ::SendMessageA(tree, get, 0, 0)) << get;
    ::DestroyWindow(list);
    ::DestroyWindow(tree);
    // The header is the list's own again.
    EXPECT_EQ(::GetPropA(Header(), "ACSBHDR"), nullptr);
}

TEST_F(ListViewsTest, HeaderItemsArePaintedWithTheCoresFace) {
    ASSERT_NE(ListAdapter().HeaderWindow(), nullptr);
    auto shown = PrintHeader();
    const RECT item = HeaderItem(1);
    auto face = CoreHeaderFace(item, 0);
    // A pixel of the face clear of the text (the text is right-aligned in this column).
    const int x = 2;
    const int y = (item.bottom - item.top) / 2;
    EXPECT_EQ(shown->Pixels().At(item.left + x, y) & 0x00FFFFFF, face->Pixels().At(x, y) & 0x00FFFFFF);
    EXPECT_EQ(ListAdapter().HeaderLineHeight(), item.bottom - item.top);
    // The space right of the last column is painted as an empty item.
    RECT client{};
    ::GetClientRect(Header(), &client);
    const RECT last = HeaderItem(2);
    if (last.right + 4 < client.right) {
        EXPECT_EQ(shown->Pixels().At(client.right - 3, y) & 0x00FFFFFF,
                  CoreHeaderFace(RECT{last.right, 0, client.right, client.bottom}, 0)
                          ->Pixels()
                          .At(client.right - last.right - 3, y) &
                      0x00FFFFFF);
    }
}

TEST_F(ListViewsTest, HotAndPressedHeaderItemsAndNonePressedOnADivider) {
    TacListViewWnd& adapter = ListAdapter();
    const RECT item = HeaderItem(1);
    POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    POINT screen = middle;
    ::ClientToScreen(Header(), &screen);
    ::SendMessageA(Header(), WM_NCHITTEST, 0, ScreenPoint(screen.x, screen.y));
    EXPECT_EQ(adapter.HeaderHotItem(), 1);
    ::SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    EXPECT_EQ(adapter.HeaderDownItem(), 1);
    ::SendMessageA(Header(), WM_LBUTTONUP, 0, MAKELPARAM(middle.x, middle.y));
    EXPECT_EQ(adapter.HeaderDownItem(), -1);
    if (::GetCapture() != nullptr)
        ::ReleaseCapture();
    // On the divider between columns 0 and 1.
    ::SendMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left, middle.y));
    EXPECT_EQ(adapter.HeaderDownItem(), -1);
    ::SendMessageA(Header(), WM_LBUTTONUP, 0, MAKELPARAM(item.left, middle.y));
    if (::GetCapture() != nullptr)
        ::ReleaseCapture();
    // Leaving the header for the list clears the hot item.
    ::SendMessageA(List(), WM_NCHITTEST, 0, ScreenPoint(screen.x, screen.y + 60));
    EXPECT_EQ(adapter.HeaderHotItem(), -1);
}

TEST_F(ListViewsTest, SortMarkSitsSixPixelsAfterTheText) {
    HDITEMA column{};
    column.mask = HDI_FORMAT;
    column.fmt = HDF_LEFT | HDF_STRING | HDF_SORTDOWN;
    ::SendMessageA(Header(), HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&column));
    const TsSkinModel& model = form->Manager->Model();
    const std::int32_t glyph = model.StdIndexes.ScrollBtnBottomGlyph;
    ASSERT_TRUE(model.HasImage(glyph));
    const TsMaskData& mark = model.Masks[static_cast<std::size_t>(glyph)];
    const RECT item = HeaderItem(0);
    // "Name" measured in the list's font.
    auto probe = CreateBitmap32(1, 1);
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(List(), WM_GETFONT, 0, 0)), sizeof font, &font);
    probe->Canvas().Font().AssignLogFont(font);
    SIZE extent{};
    ::GetTextExtentPoint32A(probe->Canvas().Handle(), "Name", 4, &extent);
    const TacHeaderItemLayout layout =
        LayoutHeaderItem(TacRect{0, 0, item.right - item.left, item.bottom - item.top}, extent.cx, FrameWidth(mark),
                         FrameHeight(mark), hfLeft, false);
    EXPECT_EQ(layout.Mark.Left, 4 + extent.cx + 5 + 6);
    std::printf("header item 0: %ldx%ld, text extent %ld, mark %dx%d at (%d, %d)\n", item.right - item.left,
                item.bottom - item.top, extent.cx, FrameWidth(mark), FrameHeight(mark), layout.Mark.Left,
                layout.Mark.Top);
    // The printed header differs from the plain face exactly where the mark goes.
    auto shown = PrintHeader();
    auto face = CoreHeaderFace(item, 0);
    int changed = 0;
    for (int y = layout.Mark.Top; y < layout.Mark.Bottom; ++y)
        for (int x = layout.Mark.Left; x < layout.Mark.Right; ++x)
            changed += (shown->Pixels().At(item.left + x, y) & 0x00FFFFFF) != (face->Pixels().At(x, y) & 0x00FFFFFF);
    EXPECT_GT(changed, 0);
    for (int y = layout.Mark.Top; y < layout.Mark.Bottom; ++y)
        EXPECT_EQ(shown->Pixels().At(item.left + layout.Mark.Right + 1, y) & 0x00FFFFFF,
                  face->Pixels().At(layout.Mark.Right + 1, y) & 0x00FFFFFF);
}

TEST_F(ListViewsTest, DraggingTheThumbByTwoPositionsScrollsTwoRows) {
    TacListViewWnd& adapter = ListAdapter();
    const RECT v = adapter.VertBarRect();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(List(), SB_VERT, &info);
    ASSERT_GT(info.nMax, static_cast<int>(info.nPage));
    const int arrow = adapter.ArrowLengthOf(adapter.VertBar());
    const TacThumb thumb = adapter.ThumbOf(adapter.VertBar(), v);
    const int span = (v.bottom - v.top) - 2 * arrow - thumb.Size;
    const int last = info.nMax - static_cast<int>(info.nPage) + 1;
    const POINT grip = OnBar(v, true, thumb.Start + 2);
    ::SetCursorPos(grip.x, grip.y);
    ::SendMessageA(List(), WM_NCLBUTTONDOWN, HTVSCROLL, ScreenPoint(grip.x, grip.y));
    POINT to{grip.x, grip.y + ::MulDiv(2, span, last)};
    ::ScreenToClient(List(), &to);
    ::SendMessageA(List(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    EXPECT_EQ(::SendMessageA(List(), LVM_GETTOPINDEX, 0, 0), 2);
    ::SendMessageA(List(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(::SendMessageA(List(), LVM_GETTOPINDEX, 0, 0), 2);
}

} // namespace
} // namespace sj::harness::test
