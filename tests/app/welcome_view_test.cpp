// The start page in the real main window: its cards against the machine's drives and folders,
// its layout and scrolling at real window sizes, and what its clicks start.

#include "app/commands.h"
#include "panes/welcome_view_win32.h"
#include "scan/volumes.h"
#include "scan/wide_text_win32.h"
#include "ui/theme_win32.h"
#include "update/product_site.h"

#include "dialog_answerer.h"
#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>

namespace app {
namespace {

namespace fs = std::filesystem;
using panes::PlacedItem;
using panes::WelcomeView;

class WelcomeViewTest : public windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        // The program's entry point does this; the folder picker needs it.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        CoUninitialize();
    }

    static const PlacedItem* itemTitled(const WelcomeView& view, std::u16string_view title) {
        for (const PlacedItem& item : view.pageLayout().items) {
            const panes::PlaceCard* card = view.cardOf(item);
            if (card != nullptr && card->title == title) {
                return &item;
            }
        }
        return nullptr;
    }
    // The stop of the card titled `name`, or of "choose", "maker" or "product"; -1 when absent.
    static int stopNamed(const WelcomeView& view, std::u16string_view name) {
        const std::vector<panes::WelcomeStop>& stops = view.stops();
        for (std::size_t i = 0; i < stops.size(); ++i) {
            const panes::WelcomeStop& stop = stops[i];
            const panes::PlaceCard* card = view.cardOf({{}, false, stop.section, stop.index});
            const std::u16string named =
                stop.kind == panes::StopKind::Card           ? (card ? card->title : u"")
                : stop.kind == panes::StopKind::ChooseButton ? u"choose"
                : stop.kind == panes::StopKind::Link ? (stop.index == 0 ? u"maker" : u"product")
                                                     : u"";
            if (named == name) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    // Gives the view the keyboard focus as the main window's Tab does.
    static void tabInto(MainWindow& main, WelcomeView& view, bool forward) {
        SetForegroundWindow(main.window());
        SetFocus(view.window());
        ASSERT_TRUE(pumpUntil(main, [&] { return GetFocus() == view.window(); }));
        view.enterFocus(forward);
    }
    // Presses `key` and pumps until the focus is on the stop named `name`.
    static bool keyTo(MainWindow& main, const WelcomeView& view, WORD key,
                      std::u16string_view name) {
        harness::pressKey(key);
        const int wanted = stopNamed(view, name);
        return wanted >= 0 && pumpUntil(main, [&] { return view.focusedStop() == wanted; });
    }
    // Whether the focused stop lies wholly in the view's client area.
    static bool focusedInView(const WelcomeView& view) {
        const panes::PageRect& rect =
            view.stops()[static_cast<std::size_t>(view.focusedStop())].rect.movedUp(view.scroll());
        return rect.top >= 0 && rect.bottom <= clientSize(view.window()).cy;
    }
    static SIZE clientSize(HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        return {client.right, client.bottom};
    }
    // Sizes the main window so that the view's client area is `width` wide (or `height` high).
    static void sizeViewTo(MainWindow& main, int width, int height) {
        const HWND view = main.welcomeView()->window();
        for (int attempt = 0; attempt < 4; ++attempt) {
            RECT frame{};
            GetWindowRect(main.window(), &frame);
            const SIZE now = clientSize(view);
            if (now.cx == width && now.cy == height) {
                return;
            }
            SetWindowPos(main.window(), nullptr, 0, 0, frame.right - frame.left + width - now.cx,
                         frame.bottom - frame.top + height - now.cy, SWP_NOMOVE | SWP_NOZORDER);
        }
    }
};

std::u16string knownFolder(const GUID& folder) {
    PWSTR path = nullptr;
    std::u16string found;
    if (SUCCEEDED(SHGetKnownFolderPath(folder, 0, nullptr, &path))) {
        found = scan::fromWide(path);
    }
    CoTaskMemFree(path);
    return found;
}

TEST_F(WelcomeViewTest, ItOffersEveryDriveInOrderAndTheKnownFoldersThatExist) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView* view = main.welcomeView();
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->window(), nullptr);
    EXPECT_EQ(GetDlgCtrlID(view->window()), ControlWelcome);
    EXPECT_TRUE(IsWindowVisible(view->window()));

    // The drives as the volume query lists them: the prefix's C: first, then the others.
    const std::vector<scan::VolumeInfo> drives = scan::listDrives();
    ASSERT_FALSE(drives.empty());
    ASSERT_EQ(view->driveCards().size(), drives.size());
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const panes::PlaceCard& card = view->driveCards()[i];
        SCOPED_TRACE(scan::wideString(card.path));
        EXPECT_EQ(card.path, drives[i].volumeRoot);
        EXPECT_EQ(card.title, drives[i].volumeRoot.substr(0, 2));
        EXPECT_EQ(card.description, drives[i].fileSystem);
        EXPECT_TRUE(card.isDrive);
        EXPECT_EQ(card.total, static_cast<std::int64_t>(drives[i].totalBytes));
        EXPECT_NE(card.icon, nullptr);
    }
    EXPECT_EQ(view->driveCards()[0].title, u"C:");
    const bool ntfs = std::any_of(drives.begin(), drives.end(), [](auto& d) { return d.isNtfs; });
    EXPECT_EQ(view->elevationBanner(), ntfs && !scan::isElevated());

    const std::vector<std::u16string> allTitles = {u"Home Folder", u"Downloads",     u"AppData",
                                                   u"Documents",   u"Program Files", u"Windows"};
    const auto folderTitles = [&] {
        std::vector<std::u16string> titles;
        for (const panes::PlaceCard& card : view->folderCards()) {
            EXPECT_FALSE(card.isDrive);
            titles.push_back(card.title);
        }
        return titles;
    };
    EXPECT_EQ(folderTitles(), allTitles);
    EXPECT_EQ(view->folderCards()[3].path, knownFolder(FOLDERID_Documents));
    EXPECT_EQ(view->folderCards()[3].description, u"");

    // Downloads pointed at a folder of the test's own, which is then renamed behind the
    // program's back: the next reload leaves the card out and the page closes up around it.
    // Only that folder is ever renamed: the prefix's own profile folders may be links into the
    // host's home, and renaming through a link moves what it points to.
    const fs::path ownDownloads = scratch_ / "Downloads";
    fs::create_directories(ownDownloads);
    const std::wstring ownPath = ownDownloads.wstring();
    const harness::SavedRegistryValue redirect(
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
        L"{374DE290-123F-4565-9164-39C4925E467B}");
    redirect.set(
        REG_EXPAND_SZ,
        std::vector<BYTE>(reinterpret_cast<const BYTE*>(ownPath.c_str()),
                          reinterpret_cast<const BYTE*>(ownPath.c_str() + ownPath.size() + 1)));
    const auto reload = [&] {
        main.openScan(scratch_.u16string());
        main.closeScan();  // which reloads the page
    };
    reload();
    ASSERT_EQ(knownFolder(FOLDERID_Downloads), ownDownloads.u16string())
        << "the known folder follows the user's shell folders";
    ASSERT_EQ(folderTitles(), allTitles);
    ASSERT_EQ(view->folderCards()[1].path, ownDownloads.u16string());

    // The focus on AppData follows the card to its new place.
    tabInto(main, *view, true);
    while (view->focusedStop() != stopNamed(*view, u"AppData")) {
        ASSERT_TRUE(view->stepFocus(true));
    }
    fs::rename(ownDownloads, scratch_ / "Downloads-away");
    reload();
    std::vector<std::u16string> expected = allTitles;
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(folderTitles(), expected);
    EXPECT_EQ(itemTitled(*view, u"Downloads"), nullptr);
    EXPECT_EQ(view->focusedStop(), stopNamed(*view, u"AppData"));
    const PlacedItem* appData = itemTitled(*view, u"AppData");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(appData->card, 1);
    EXPECT_GT(appData->rect.left, view->pageLayout().columnLeft) << "now in the right column";

    // A file of that name is not a folder either.
    { std::ofstream(ownDownloads) << "not a folder"; }
    reload();
    EXPECT_EQ(folderTitles(), expected);

    fs::remove(ownDownloads);
    fs::rename(scratch_ / "Downloads-away", ownDownloads);
    reload();
    EXPECT_EQ(folderTitles(), allTitles) << "back once it is back";
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, TheColumnStopsGrowingAt808PixelsAndThePageScrollsOnlyWithinItself) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    const HWND window = view.window();
    ASSERT_EQ(ui::windowDpi(window), 96) << "the metrics below are at 96 DPI";

    for (const auto& [width, column, left] :
         {std::tuple{807, 759, 24}, std::tuple{808, 760, 24}, std::tuple{1200, 760, 220}}) {
        SCOPED_TRACE(width);
        sizeViewTo(main, width, 800);
        ASSERT_EQ(clientSize(window).cx, width);
        EXPECT_EQ(view.pageLayout().columnWidth, column);
        EXPECT_EQ(view.pageLayout().columnLeft, left);
        EXPECT_EQ(view.scroll(), 0);
    }

    // Taller than the page: no scrolling at all.
    ASSERT_LT(view.pageLayout().contentHeight, 800);
    harness::turnWheel(window, -120 * 5);
    EXPECT_EQ(view.scroll(), 0);

    // Shorter: the wheel moves 60 pixels a notch and stops at the end of the page.
    sizeViewTo(main, 900, 300);
    const int client = clientSize(window).cy;
    const int content = view.pageLayout().contentHeight;
    ASSERT_GT(content, client);
    harness::turnWheel(window, -120);
    EXPECT_EQ(view.scroll(), 60);
    harness::turnWheel(window, -120 * 100);
    EXPECT_EQ(view.scroll(), content - client);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &info);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, content - 1);
    EXPECT_EQ(info.nPage, static_cast<UINT>(client));
    EXPECT_EQ(info.nPos, content - client);
    SendMessageW(window, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(view.scroll(), content - client - 40);
    SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(view.scroll(), content - client);
    harness::turnWheel(window, 120 * 100);
    EXPECT_EQ(view.scroll(), 0);
    // A scrolled page hit-tests where it is drawn: the choose button, brought into view.
    harness::turnWheel(window, -120 * 100);
    SendMessageW(window, WM_MOUSEMOVE, 0, middleOf(view, view.pageLayout().chooseButton));
    EXPECT_TRUE(view.hovered().chooseButton);
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(view.hovered().anything());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, ACardClickScansItsPathAndTheLinksGoThroughTheOpener) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    std::vector<std::u16string> opened;
    view.openAddress = [&opened](HWND, const std::u16string& address) {
        opened.push_back(address);
    };
    clickMiddleOf(view, view.pageLayout().makerLink);
    clickMiddleOf(view, view.pageLayout().productLink);
    EXPECT_EQ(opened, (std::vector<std::u16string>{panes::kMakerAddress, update::kProductAddress}));
    EXPECT_TRUE(main.welcomeShown());

    // Between two cards nothing happens.
    const PlacedItem* appData = itemTitled(view, u"AppData");
    ASSERT_NE(appData, nullptr);
    SendMessageW(view.window(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(appData->rect.left + 4, appData->rect.top - 3 - view.scroll()));
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_EQ(main.controller().scanner(), nullptr);

    // The AppData card: a small folder of the prefix.
    const std::u16string path = view.cardOf(*appData)->path;
    clickMiddleOf(view, appData->rect);
    EXPECT_FALSE(main.welcomeShown());
    EXPECT_FALSE(IsWindowVisible(view.window()));
    EXPECT_TRUE(scan::equalIgnoringCase(main.controller().rootPath(), path));
    EXPECT_EQ(harness::windowText(main.window()), L"Rozovizov \u2014 " + scan::wideString(path));
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.controller().running(); }));

    // Open returns to the page.
    SendMessageW(main.window(), WM_COMMAND, CommandOpen, 0);
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_TRUE(IsWindowVisible(view.window()));
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, ArrowsMoveAmongTheStopsAndEnterOrSpaceOpensTheFocusedCard) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    // Short enough that the keys must scroll the page to keep the focus in view.
    sizeViewTo(main, 900, 300);
    ASSERT_GT(view.pageLayout().contentHeight, 300);
    tabInto(main, view, true);
    EXPECT_EQ(view.focusedStop(), 0);
    EXPECT_TRUE(view.focusMarkShown());

    // From the end of the page up: the choose button, then the folder rows (Home Folder and
    // Downloads, AppData and Documents, Program Files and Windows), nearest first.
    ASSERT_TRUE(keyTo(main, view, VK_END, u"product"));
    EXPECT_GT(view.scroll(), 0);
    EXPECT_TRUE(focusedInView(view));
    ASSERT_TRUE(keyTo(main, view, VK_LEFT, u"maker"));
    ASSERT_TRUE(keyTo(main, view, VK_UP, u"choose"));
    ASSERT_TRUE(keyTo(main, view, VK_UP, u"Program Files"));
    ASSERT_TRUE(keyTo(main, view, VK_RIGHT, u"Windows"));
    ASSERT_TRUE(keyTo(main, view, VK_UP, u"Documents"));
    ASSERT_TRUE(keyTo(main, view, VK_DOWN, u"Windows"));
    ASSERT_TRUE(keyTo(main, view, VK_LEFT, u"Program Files"));
    ASSERT_TRUE(keyTo(main, view, VK_UP, u"AppData"));
    EXPECT_TRUE(focusedInView(view));

    // Enter opens the focused card as its click does.
    const std::u16string appData = view.cardOf({{}, false, 1, 2})->path;
    ASSERT_EQ(view.cardOf({{}, false, 1, 2})->title, u"AppData");
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.welcomeShown(); }));
    EXPECT_TRUE(scan::equalIgnoringCase(main.controller().rootPath(), appData));
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.controller().running(); }));

    // Back on the page, reloaded, the focus is still on that card; Space opens it again.
    SendMessageW(main.window(), WM_COMMAND, CommandOpen, 0);
    ASSERT_TRUE(main.welcomeShown());
    EXPECT_EQ(view.focusedStop(), stopNamed(view, u"AppData"));
    SetFocus(view.window());
    ASSERT_TRUE(pumpUntil(main, [&] { return GetFocus() == view.window(); }));
    harness::pressKey(VK_SPACE);
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.welcomeShown(); }));
    EXPECT_TRUE(scan::equalIgnoringCase(main.controller().rootPath(), appData));
    ASSERT_TRUE(pumpUntil(main, [&] { return !main.controller().running(); }));
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, TabStepsThroughEveryStopAndLetsTheFocusGoAtEitherEnd) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    std::vector<std::u16string> opened;
    view.openAddress = [&opened](HWND, const std::u16string& address) {
        opened.push_back(address);
    };
    const int last = static_cast<int>(view.stops().size()) - 1;
    ASSERT_EQ(last, stopNamed(view, u"product"));

    tabInto(main, view, true);
    ASSERT_TRUE(keyTo(main, view, VK_END, u"product"));
    harness::pressKey(VK_HOME);
    ASSERT_TRUE(pumpUntil(main, [&] { return view.focusedStop() == 0; }));
    for (int stop = 1; stop <= last; ++stop) {
        ASSERT_TRUE(view.stepFocus(true));
        EXPECT_EQ(view.focusedStop(), stop);
    }
    EXPECT_FALSE(view.stepFocus(true)) << "past the last stop the focus leaves the view";
    EXPECT_EQ(view.focusedStop(), last);
    // The product's link takes Enter like its click.
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main, [&] { return !opened.empty(); }));
    EXPECT_EQ(opened, std::vector<std::u16string>{update::kProductAddress});

    // Shift+Tab arriving from after the view starts at its last stop and leaves past its first.
    tabInto(main, view, false);
    EXPECT_EQ(view.focusedStop(), last);
    EXPECT_TRUE(view.stepFocus(false));
    EXPECT_EQ(view.focusedStop(), last - 1);
    view.enterFocus(true);
    EXPECT_FALSE(view.stepFocus(false));
    EXPECT_EQ(view.focusedStop(), 0);
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, AClickTakesTheFocusAndHidesTheMarkUntilAKeyIsPressed) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    const HWND window = view.window();
    std::vector<std::u16string> opened;
    view.openAddress = [&opened](HWND, const std::u16string& address) {
        opened.push_back(address);
    };
    sizeViewTo(main, 900, 700);
    SetForegroundWindow(main.window());
    // The page has the keyboard from the start; nothing has it now.
    SetFocus(nullptr);
    ASSERT_NE(GetFocus(), window);

    // A click on the maker's link: the view has the focus, on that link, without a mark.
    clickMiddleOf(view, view.pageLayout().makerLink);
    EXPECT_EQ(GetFocus(), window);
    EXPECT_EQ(view.focusedStop(), stopNamed(view, u"maker"));
    EXPECT_FALSE(view.focusMarkShown());
    EXPECT_EQ(opened.size(), 1u);

    // A key shows the mark: a ring in the focus colour just outside the choose button.
    const auto choose = [&] { return view.pageLayout().chooseButton.movedUp(view.scroll()); };
    const auto middle = [&] { return (choose().top + choose().bottom) / 2; };
    const auto ringPixel = [&] {
        return harness::paintedPixel(window, choose().left - 2, middle());
    };
    const std::uint32_t background = ui::palette().chromeBackground;
    EXPECT_EQ(ringPixel(), background);
    ASSERT_TRUE(keyTo(main, view, VK_UP, u"choose"));
    EXPECT_TRUE(view.focusMarkShown());
    EXPECT_EQ(ringPixel(), ui::palette().focusMark);
    EXPECT_EQ(harness::paintedPixel(window, choose().left, middle()), ui::palette().line)
        << "the button's own border stays, a pixel inside the ring";

    // The focus going elsewhere takes the mark with it, and coming back brings it back.
    SetFocus(nullptr);
    EXPECT_FALSE(view.focusMarkShown());
    EXPECT_EQ(ringPixel(), background);
    SetFocus(window);
    EXPECT_EQ(ringPixel(), ui::palette().focusMark);

    // A click on an empty part of the page keeps the focused stop but hides its mark.
    harness::clickAt(window, {view.pageLayout().columnLeft - 10, middle()});
    EXPECT_EQ(GetFocus(), window);
    EXPECT_EQ(view.focusedStop(), stopNamed(view, u"choose"));
    EXPECT_EQ(ringPixel(), background);
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, TheUpdateBannerComesFirstAndItsButtonHandsOverTheAddress) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    std::vector<std::u16string> downloads;
    view.onDownload = [&downloads](const std::u16string& address) { downloads.push_back(address); };
    const int firstCard = view.pageLayout().items[0].rect.top;
    const bool elevation = view.elevationBanner();

    view.setUpdateBanner(u"Rozovizov 9.9 is available.", u"https://rozovizov.app/download/9.9");
    const panes::WelcomeLayout& layout = view.pageLayout();
    ASSERT_FALSE(layout.updateBanner.empty());
    EXPECT_EQ(layout.updateBanner.top, 108) << "above the elevation banner, if any";
    EXPECT_EQ(layout.items[0].rect.top, firstCard + 78 + (elevation ? 0 : 6));
    SendMessageW(view.window(), WM_MOUSEMOVE, 0, middleOf(view, layout.updateButton));
    EXPECT_TRUE(view.hovered().downloadButton);
    clickMiddleOf(view, layout.updateButton);
    EXPECT_EQ(downloads, (std::vector<std::u16string>{u"https://rozovizov.app/download/9.9"}));

    // A later delivery without a result takes the banner away again.
    view.setUpdateBanner(u"", u"");
    EXPECT_TRUE(view.pageLayout().updateBanner.empty());
    EXPECT_EQ(view.pageLayout().items[0].rect.top, firstCard);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, AHoveredCardIsFramedInTheAccentAndShowsTheHand) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    const HWND window = view.window();
    const PlacedItem& card = view.pageLayout().items[1];
    SendMessageW(window, WM_MOUSEMOVE, 0, middleOf(view, card.rect));
    EXPECT_EQ(view.hovered().item, 1);
    EXPECT_EQ(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    const auto pixel = [window](int x, int y) { return harness::repaintedPixel(window, x, y); };
    const int y = (card.rect.top + card.rect.bottom) / 2 - view.scroll();
    EXPECT_EQ(pixel(card.rect.left, y), ui::palette().accent);
    EXPECT_EQ(pixel(card.rect.left + 3, card.rect.top + 3 - view.scroll()), ui::palette().hover);
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(pixel(card.rect.left, y), ui::palette().line);
    EXPECT_EQ(pixel(card.rect.left + 3, card.rect.top + 3 - view.scroll()),
              ui::palette().paneBackground);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, ThePickerCancelledLeavesThePageAsItWas) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    const std::size_t cards = view.pageLayout().items.size();
    {
        harness::DialogAnswerer answerer([](const harness::SeenDialog&) { return IDCANCEL; });
        // Returns once the picker has closed.
        clickMiddleOf(view, view.pageLayout().chooseButton);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].caption, L"Choose a folder or drive to scan")
            << "the picker was shown with its title";
    }
    EXPECT_TRUE(main.welcomeShown());
    EXPECT_EQ(main.controller().scanner(), nullptr);
    EXPECT_TRUE(IsWindowVisible(view.window()));
    EXPECT_EQ(view.pageLayout().items.size(), cards);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

TEST_F(WelcomeViewTest, ADrivesBarIsDrawnInTheColourOfItsFillAndTheRestAsTrack) {
    MainWindow main(settings_);
    ASSERT_TRUE(main.create(u""));
    WelcomeView& view = *main.welcomeView();
    const HWND window = view.window();
    SetWindowPos(main.window(), HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
    ASSERT_TRUE(pumpUntil(main, [&] { return GetUpdateRect(window, nullptr, FALSE) == 0; }));
    const PlacedItem& first = view.pageLayout().items[1];
    const panes::PlaceCard* card = view.cardOf(first);
    ASSERT_NE(card, nullptr);
    ASSERT_NE(card->icon, nullptr);
    const int left = first.rect.left + 10 + 32 + 10;
    const int right = first.rect.right - 10;
    const panes::UsageBar bar = panes::usageBar(card->total, card->free, left, right);
    ASSERT_LT(bar.filledRight, right - 2) << "the drive leaves room for the track";
    const int y = first.rect.top + 45;
    UpdateWindow(window);
    const HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, left + 1, y), bar.colour);
    EXPECT_EQ(GetPixel(dc, bar.filledRight - 1, y), bar.colour);
    EXPECT_EQ(GetPixel(dc, bar.filledRight + 1, y), ui::palette().dark ? 0x3C3C3Cu : 0xE6E2E2u);
    EXPECT_EQ(GetPixel(dc, left + 1, first.rect.top + 41), ui::palette().paneBackground);
    ReleaseDC(window, dc);
    EXPECT_EQ(closeAndPump(main), std::optional<int>(0));
}

}  // namespace
}  // namespace app
