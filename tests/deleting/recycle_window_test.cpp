// Deleting from the real main window with real files in a temporary folder: the countdown driven
// by its timer messages, the Recycle Bin (under Wine the XDG trash under XDG_DATA_HOME, which the
// test run points at a folder of its own), the pane, the dialogs and every refusal.

#include "app/commands.h"
#include "deleting/deleting_texts.h"
#include "deleting/leaving_dialog_win32.h"
#include "deleting/recycle_bin_win32.h"
#include "scan/text.h"

#include "dialog_answerer.h"
#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace deleting {
namespace {

namespace fs = std::filesystem;
using harness::DialogAnswerer;
using harness::SeenDialog;

constexpr int kNukeWarningNo = IDNO;

// A Linux path as Wine names it.
fs::path windowsPathOf(const std::wstring& unixPath) {
    std::wstring path = L"Z:" + unixPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return fs::path(path);
}

std::wstring environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

std::set<std::wstring> namesIn(const fs::path& folder) {
    std::set<std::wstring> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        names.insert(entry.path().filename().wstring());
    }
    return names;
}

class RecycleWindowTest : public app::windowtest::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        const std::wstring dataHome = environment(L"XDG_DATA_HOME");
        if (dataHome.empty()) {
            GTEST_SKIP() << "run through ctest, which gives the test a Recycle Bin of its own";
        }
        trash_ = windowsPathOf(dataHome) / "Trash" / "files";
        tree_ = scratch_ / "tree";
        write("keep/a.bin", 2000);
        write("keep/b.bin", 3000);
        write("docs/report.txt", 1500);
        write("docs/inner/deep.txt", 700);
        write("other.txt", 400);
        ASSERT_TRUE(main_.create(u""));
        SetWindowPos(main_.window(), HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
        ASSERT_TRUE(scanToTheEnd(main_, tree_.u16string()));
        trashBefore_ = namesIn(trash_);
    }
    void TearDown() override {
        if (main_.window() != nullptr) {
            // Whatever a test left pending goes back, so closing asks nothing.
            main_.pendingDeletes().undeleteAll();
            EXPECT_EQ(closeAndPump(main_), std::optional<int>(0));
        }
        for (const std::wstring& name : namesIn(trash_)) {
            if (!trashBefore_.contains(name)) {
                std::error_code ignored;
                fs::remove_all(trash_ / name, ignored);
                fs::remove(trash_.parent_path() / "info" / (name + L".trashinfo"), ignored);
            }
        }
        MainWindowFixture::TearDown();
    }

    void write(const std::string& relative, std::size_t bytes) {
        const fs::path path = (tree_ / relative).make_preferred();
        writeFile(path, bytes);
        files_.push_back(path);
    }
    const scan::Scanner& scanner() const { return *main_.controller().scanner(); }
    const scan::NodeStore& store() const { return scanner().store(); }
    std::int32_t node(const std::string& relative) const {
        const std::u16string wanted = (tree_ / relative).make_preferred().u16string();
        for (scan::NodeId row = 1; row < store().publishedCount(); ++row) {
            if (store().pathOf(row, u'\\') == wanted) {
                return static_cast<std::int32_t>(row);
            }
        }
        ADD_FAILURE() << "no row for " << relative;
        return -1;
    }
    std::uint64_t rootSize() const { return store().size.get(0); }
    // One countdown step, as the main window's timer delivers it.
    void tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            SendMessageW(main_.window(), WM_TIMER, app::kPendingTimer, 0);
        }
    }
    const std::vector<PendingItem>& items() { return main_.pendingDeletes().items(); }
    std::set<std::wstring> newInTrash() const {
        std::set<std::wstring> added;
        for (const std::wstring& name : namesIn(trash_)) {
            if (!trashBefore_.contains(name)) {
                added.insert(name);
            }
        }
        return added;
    }
    // Every file of the tree but those under `gone` is still in its place.
    void expectOnlyGone(const fs::path& gone) const {
        for (const fs::path& file : files_) {
            const bool under = file.native().starts_with(gone.native());
            EXPECT_EQ(fs::exists(file), !under) << file.string();
        }
    }
    HWND pane() const { return main_.pendingPane()->window(); }
    void clickInPane(const Box& box) {
        const POINT at{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        SendMessageW(pane(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        harness::clickAt(pane(), at);
    }

    // A dialog that a test does not expect would wait for a user for ever: it fails the test and
    // is dismissed instead.
    DialogAnswerer unexpected_{[](const SeenDialog& dialog) {
        ADD_FAILURE() << "an unexpected dialog: "
                      << scan::toUtf8(std::u16string(
                             reinterpret_cast<const char16_t*>(dialog.texts.c_str())));
        return harness::kDismiss;
    }};
    app::MainWindow main_{settings_};
    fs::path tree_;
    fs::path trash_;
    std::set<std::wstring> trashBefore_;
    std::vector<fs::path> files_;
};

TEST_F(RecycleWindowTest, DelSendsTheSelectedFileToTheBinWhenItsCountdownEnds) {
    const std::int32_t other = node("other.txt");
    const std::uint64_t before = rootSize();
    main_.selectNode(other);
    SetForegroundWindow(main_.window());
    SetFocus(main_.window());
    harness::pressKey(VK_DELETE);
    ASSERT_TRUE(pumpUntil(main_, [&] { return items().size() == 1; }));
    EXPECT_EQ(items()[0].name, u"other.txt");
    EXPECT_EQ(rootSize(), before - 400) << "the space is freed at once";
    EXPECT_EQ(main_.treemapView()->selectedNode(), -1) << "the removed file left the selection";
    EXPECT_TRUE(main_.selectedNodes().empty());
    EXPECT_TRUE(fs::exists(tree_ / "other.txt")) << "nothing moves before the countdown ends";

    // The pane takes the right edge: a third of the width at most, 320 pixels at 96 DPI.
    ASSERT_TRUE(IsWindowVisible(pane()));
    RECT client{};
    GetClientRect(main_.window(), &client);
    const RECT placed = harness::placeIn(main_.window(), pane());
    const int expected = std::min(app::scaledLength(320, ui::windowDpi(main_.window())),
                                  static_cast<int>(client.right) / 3);
    EXPECT_EQ(placed.right, client.right);
    EXPECT_EQ(placed.right - placed.left, expected);
    const RECT treemap = harness::placeIn(main_.window(), main_.treemapView()->window());
    EXPECT_LE(treemap.right, placed.left);

    // Del again with the removed file gone from the selection queues nothing.
    harness::pressKey(VK_DELETE);
    pumpPending(main_);
    EXPECT_EQ(items().size(), 1u);

    // The window's own timer went on counting while the test pumped messages: step to the last
    // tick from wherever the countdown stands.
    tick(static_cast<int>(items()[0].remaining / app::kPendingTimerMilliseconds) - 1);
    ASSERT_EQ(items().size(), 1u);
    ASSERT_EQ(items()[0].remaining, static_cast<std::int64_t>(app::kPendingTimerMilliseconds));
    EXPECT_TRUE(fs::exists(tree_ / "other.txt"));
    tick(1);
    EXPECT_TRUE(items().empty());
    EXPECT_FALSE(fs::exists(tree_ / "other.txt"));
    EXPECT_EQ(newInTrash(), (std::set<std::wstring>{L"other.txt"}));
    EXPECT_EQ(fs::file_size(trash_ / "other.txt"), 400u);
    expectOnlyGone(tree_ / "other.txt");
    EXPECT_EQ(rootSize(), before - 400) << "the totals stay reduced";
    EXPECT_FALSE(IsWindowVisible(pane())) << "the pane goes with the last item";
}

TEST_F(RecycleWindowTest, UndeleteAndUndeleteAllPutBackEveryTotalExactly) {
    const auto totals = [this] {
        std::vector<std::uint64_t> values{
            store().size.get(0),       store().allocated.get(0),     store().fileCount.get(0),
            store().addedMonth.get(0), store().addedHalfYear.get(0), store().addedSinceScan.get(0)};
        for (scan::Measure measure = 0; measure < 4; ++measure) {
            for (const bool logical : {false, true}) {
                for (const scan::KindTotal& kind :
                     scan::kindTotals(scanner().kindTotals(), measure, logical)) {
                    values.insert(values.end(), {kind.kind, kind.value, kind.files});
                }
            }
        }
        return values;
    };
    const std::vector<std::uint64_t> before = totals();
    const std::u16string statusBefore = main_.statusText();
    main_.moveToRecycleBin({node("docs"), node("keep/a.bin")});
    ASSERT_EQ(items().size(), 2u);
    EXPECT_NE(totals(), before);
    EXPECT_NE(main_.statusText(), statusBefore) << "the status line shows the space as freed";
    tick(25);

    // The row of the folder (the older item, second in the list) has its own Undelete.
    UpdateWindow(pane());
    ASSERT_EQ(items().size(), 2u);
    clickInPane(main_.pendingPane()->rowButtonNow(1));
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].name, u"a.bin");
    UpdateWindow(pane());
    clickInPane(main_.pendingPane()->footerButtonsNow().undeleteAll);
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(totals(), before);
    EXPECT_EQ(main_.statusText(), statusBefore);
    EXPECT_TRUE(newInTrash().empty());
    expectOnlyGone(tree_ / "nothing");
}

// The pending pane from the keyboard: F6 brings the keyboard to the first "Undelete", Tab walks
// the buttons and leaves after "Delete Now", Space and Enter press, and the emptied pane hands the
// keyboard back to the list.
TEST_F(RecycleWindowTest, ThePendingPaneWorksFromTheKeyboard) {
    main_.moveToRecycleBin({node("docs"), node("keep/a.bin"), node("other.txt")});
    ASSERT_EQ(items().size(), 3u);
    // The countdown waits while the keys are pressed, however slow the machine.
    main_.pendingDeletes().setPaused(true);
    SetForegroundWindow(main_.window());
    SetFocus(main_.treemapView()->window());
    const PendingPane& pending = *main_.pendingPane();
    harness::pressKey(VK_F6);
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == pane(); }));
    EXPECT_EQ(pending.focusedButton(), 0);
    const struct {
        WORD key;
        std::initializer_list<WORD> modifiers;
        int button;
    } steps[] = {{VK_TAB, {}, 1}, {VK_DOWN, {}, 2}, {VK_TAB, {}, 3},
                 {VK_TAB, {}, 4}, {VK_UP, {}, 3},   {VK_TAB, {VK_SHIFT}, 2}};
    for (const auto& step : steps) {
        harness::pressKey(step.key, step.modifiers);
        EXPECT_TRUE(pumpUntil(main_, [&] { return pending.focusedButton() == step.button; }))
            << "expected button " << step.button << ", the keyboard is on "
            << pending.focusedButton();
    }
    // Space on the third row's "Undelete" puts that item back; the keyboard stays in its place,
    // now on "Undelete All".
    const std::u16string third = items()[2].name;
    harness::pressKey(VK_SPACE);
    ASSERT_TRUE(pumpUntil(main_, [&] { return items().size() == 2; }));
    for (const PendingItem& item : items()) {
        EXPECT_NE(item.name, third);
    }
    EXPECT_EQ(pending.focusedButton(), 2);
    // Past "Delete Now", Tab leaves the pane for the toolbar.
    harness::pressKey(VK_TAB);
    harness::pressKey(VK_TAB);
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() != pane(); }));
    EXPECT_EQ(GetFocus(), GetDlgItem(main_.window(), app::ControlOpen));
    // Back with Shift+Tab to "Delete Now", then to "Undelete All", which Enter presses.
    harness::pressKey(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(pumpUntil(main_, [&] { return GetFocus() == pane(); }));
    EXPECT_EQ(pending.focusedButton(), 3);
    harness::pressKey(VK_TAB, {VK_SHIFT});
    harness::pressKey(VK_RETURN);
    ASSERT_TRUE(pumpUntil(main_, [&] { return items().empty(); }));
    EXPECT_TRUE(pumpUntil(main_, [&] { return GetFocus() == main_.fileList()->window(); }))
        << "the hidden pane hands the keyboard on";
    EXPECT_TRUE(newInTrash().empty());
    expectOnlyGone(tree_ / "nothing");
}

TEST_F(RecycleWindowTest, AFolderWithAFileInsideListsOnlyTheFolderAndDeleteNowAsksFirst) {
    main_.moveToRecycleBin({node("docs/inner/deep.txt"), node("docs")});
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].name, u"docs");

    int pressed = harness::kPressEnter;
    bool pausedWhileAsked = false;
    DialogAnswerer answerer([&](const SeenDialog&) {
        pausedWhileAsked = main_.pendingDeletes().paused();
        return pressed;
    });
    UpdateWindow(pane());
    clickInPane(main_.pendingPane()->footerButtonsNow().deleteNow);
    ASSERT_EQ(answerer.seen().size(), 1u);
    const SeenDialog& question = answerer.seen()[0];
    EXPECT_EQ(question.caption, L"Delete now?");
    EXPECT_NE(question.texts.find(L"1 item will go to the Recycle Bin straight away, without the "
                                  L"rest of the countdown. This cannot be undone from here."),
              std::wstring::npos);
    EXPECT_EQ(question.focusedButton, IDCANCEL);
    EXPECT_TRUE(pausedWhileAsked) << "nothing reaches the bin while the user decides";
    EXPECT_FALSE(main_.pendingDeletes().paused());
    EXPECT_EQ(items().size(), 1u) << "Enter cancels";
    EXPECT_TRUE(fs::exists(tree_ / "docs"));

    pressed = IDOK;
    clickInPane(main_.pendingPane()->footerButtonsNow().deleteNow);
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(newInTrash(), (std::set<std::wstring>{L"docs"}));
    EXPECT_TRUE(fs::exists(trash_ / "docs" / "inner" / "deep.txt"));
    expectOnlyGone(tree_ / "docs");
}

TEST_F(RecycleWindowTest, AnItemTheBinRefusesComesBackWithTheMessageAndStaysWhereItWas) {
    // The bin's folder replaced by a file: Wine can no longer move anything into it, and its
    // shell would destroy the item instead unless told to ask.
    struct BrokenBin {
        explicit BrokenBin(fs::path files) : files_(std::move(files)) {
            fs::rename(files_, aside_);
            std::ofstream(files_) << "not a folder";
        }
        ~BrokenBin() {
            fs::remove(files_);
            fs::rename(aside_, files_);
        }
        fs::path files_;
        fs::path aside_ = files_.parent_path() / "files-aside";
    };
    std::optional<BrokenBin> broken(std::in_place, trash_);
    const std::uint64_t before = rootSize();
    main_.moveToRecycleBin({node("other.txt")});
    {
        DialogAnswerer answerer([](const SeenDialog& dialog) {
            return dialog.caption == L"Rozovizov" ? IDOK : kNukeWarningNo;
        });
        tick(100);
        ASSERT_EQ(answerer.seen().size(), 2u);
        EXPECT_NE(answerer.seen()[0].caption, L"Rozovizov") << "the shell asked first";
        const SeenDialog& message = answerer.seen()[1];
        EXPECT_EQ(message.caption, L"Rozovizov");
        const std::u16string expected =
            failureText((tree_ / "other.txt").u16string(), kRefusedReason);
        EXPECT_NE(message.texts.find(reinterpret_cast<const wchar_t*>(expected.c_str())),
                  std::wstring::npos)
            << scan::toUtf8(
                   std::u16string(reinterpret_cast<const char16_t*>(message.texts.c_str())));
    }
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(rootSize(), before) << "back in the totals";
    EXPECT_EQ(fs::file_size(tree_ / "other.txt"), 400u);
    expectOnlyGone(tree_ / "nothing");

    // Where only the shell's own question stands between the item and its end, the user's Yes
    // is the user's; what the program then says is what the disk and the bin show.
    main_.moveToRecycleBin({node("other.txt")});
    {
        DialogAnswerer answerer(
            [](const SeenDialog& dialog) { return dialog.caption == L"Rozovizov" ? IDOK : IDYES; });
        tick(100);
        ASSERT_EQ(answerer.seen().size(), 2u);
        EXPECT_TRUE(answerer.seen()[1].shows((tree_ / "other.txt").wstring() +
                                             L" was deleted permanently instead of being moved "
                                             L"to the Recycle Bin."))
            << scan::toUtf8(std::u16string(
                   reinterpret_cast<const char16_t*>(answerer.seen()[1].texts.c_str())));
    }
    broken.reset();
    EXPECT_FALSE(fs::exists(tree_ / "other.txt"));
    EXPECT_EQ(rootSize(), before - 400) << "gone from the disk, so out of the totals";
    EXPECT_TRUE(newInTrash().empty());
}

TEST_F(RecycleWindowTest, APathWithAWildcardIsRefusedWithoutTouchingTheSiblingsItWouldMatch) {
    write("same1.txt", 10);
    write("same2.txt", 20);
    const ShellAttempt question =
        recycleToBin(main_.window(), (tree_ / "same?.txt").u16string(), 10);
    EXPECT_FALSE(question.attempted);
    EXPECT_EQ(question.reason,
              u"its name holds * or ?, which the Recycle Bin would take as a pattern");
    EXPECT_FALSE(recycleToBin(main_.window(), (tree_ / "*").u16string(), 10).attempted);
    expectOnlyGone(tree_ / "nothing");
    EXPECT_TRUE(newInTrash().empty());
}

TEST_F(RecycleWindowTest, ClosingWithTwoItemsAsksAndCancelResumesTheCountdownWhereItStood) {
    main_.moveToRecycleBin({node("other.txt"), node("keep")});
    tick(20);
    ASSERT_EQ(items().size(), 2u);
    const std::int64_t first = items()[0].remaining;
    const std::int64_t second = items()[1].remaining;
    bool pausedWhileAsked = false;
    std::int64_t remainingWhileAsked = 0;
    int choice = IDCANCEL;
    DialogAnswerer answerer([&](const SeenDialog&) {
        pausedWhileAsked = main_.pendingDeletes().paused();
        remainingWhileAsked = items()[0].remaining;
        return choice;
    });
    SendMessageW(main_.window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(answerer.seen().size(), 1u);
    const SeenDialog& dialog = answerer.seen()[0];
    EXPECT_EQ(dialog.caption, L"Rozovizov");
    EXPECT_NE(dialog.texts.find(L"Pending deletes"), std::wstring::npos);
    EXPECT_NE(dialog.texts.find(L"2 items are waiting to be deleted. Leaving this scan deletes "
                                L"them immediately."),
              std::wstring::npos);
    EXPECT_TRUE(pausedWhileAsked);
    EXPECT_EQ(remainingWhileAsked, first);
    EXPECT_NE(main_.window(), nullptr) << "the window stays";
    EXPECT_FALSE(main_.pendingDeletes().paused());
    ASSERT_EQ(items().size(), 2u);
    EXPECT_EQ(items()[0].remaining, first);
    EXPECT_EQ(items()[1].remaining, second);
    tick(1);
    EXPECT_EQ(items()[0].remaining, first - 100) << "counting again";

    // Put Them Back: everything returns and the window closes; nothing reached the bin.
    choice = kPutThemBackButton;
    EXPECT_EQ(closeAndPump(main_), std::optional<int>(0));
    EXPECT_EQ(main_.window(), nullptr);
    EXPECT_EQ(answerer.seen().size(), 2u);
    expectOnlyGone(tree_ / "nothing");
    EXPECT_TRUE(newInTrash().empty());
}

TEST_F(RecycleWindowTest, RefreshWithItemsPendingSettlesThemBeforeTheNewScan) {
    const scan::Scanner* first = &scanner();
    main_.moveToRecycleBin({node("other.txt")});
    int choice = IDCANCEL;
    DialogAnswerer answerer([&](const SeenDialog&) { return choice; });
    SendMessageW(main_.window(), WM_COMMAND, app::CommandRefreshEverything, 0);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(main_.controller().scanner(), first) << "cancelled: the scan stays";
    EXPECT_EQ(items().size(), 1u);

    choice = kDeleteThemButton;
    SendMessageW(main_.window(), WM_COMMAND, app::CommandRefreshEverything, 0);
    ASSERT_EQ(answerer.seen().size(), 2u);
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(newInTrash(), (std::set<std::wstring>{L"other.txt"}));
    ASSERT_TRUE(pumpUntilScanComplete(main_));
    for (scan::NodeId row = 0; row < store().publishedCount(); ++row) {
        EXPECT_NE(store().nameOf(row), u"other.txt") << "the new scan no longer finds it";
    }
    expectOnlyGone(tree_ / "other.txt");
}

TEST_F(RecycleWindowTest, RefreshingAFolderWithItemsPendingPutsThemBackFirstWhenAsked) {
    const std::uint64_t before = rootSize();
    main_.moveToRecycleBin({node("docs/report.txt")});
    main_.selectNode(node("docs"));
    DialogAnswerer answerer([](const SeenDialog&) { return kPutThemBackButton; });
    SendMessageW(main_.window(), WM_COMMAND, app::CommandRefreshFolder, 0);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_TRUE(items().empty()) << "settled before the folder's rows were rebuilt";
    ASSERT_TRUE(pumpUntil(main_, [&] { return !main_.controller().running(); }));
    EXPECT_EQ(rootSize(), before);
    EXPECT_NE(node("docs/report.txt"), -1) << "listed again by the refresh";
    expectOnlyGone(tree_ / "nothing");
    EXPECT_TRUE(newInTrash().empty());
}

// The bytes of every file below `folder` on disk, links not followed.
std::uint64_t bytesOnDisk(const fs::path& folder) {
    std::uint64_t bytes = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            bytes += entry.file_size();
        }
    }
    return bytes;
}

// Whatever stands at an item's place when its countdown ends is recycled only when it is the item
// that was chosen. A file or folder that took its name, or its absence, is left alone; the user
// reads so in one message, and the folders are read again so that the totals show the disk.
TEST_F(RecycleWindowTest, ItemsThatChangedOnDiskAreLeftAloneAndTheTotalsFollowTheDisk) {
    main_.moveToRecycleBin({node("other.txt"), node("keep"), node("docs/report.txt")});
    ASSERT_EQ(items().size(), 3u);
    fs::rename(tree_ / "other.txt", tree_ / "other-old.txt");
    writeFile(tree_ / "other.txt", 50);
    fs::rename(tree_ / "keep", tree_ / "keep-old");
    writeFile(tree_ / "keep" / "new.bin", 60);
    fs::remove(tree_ / "docs" / "report.txt");
    DialogAnswerer answerer([](const SeenDialog&) { return IDOK; });
    tick(static_cast<int>(items()[0].remaining / app::kPendingTimerMilliseconds));
    ASSERT_TRUE(items().empty());
    ASSERT_EQ(answerer.seen().size(), 1u);
    const SeenDialog& message = answerer.seen()[0];
    EXPECT_TRUE(
        message.shows(L"3 items were not moved to the Recycle Bin: each changed on disk "
                      L"since it was chosen. Nothing was moved, and their folders are read "
                      L"again:"));
    for (const fs::path& path :
         {tree_ / "other.txt", tree_ / "keep", tree_ / "docs" / "report.txt"}) {
        EXPECT_TRUE(message.shows(L"\u2022 " + path.wstring())) << path.string();
    }
    EXPECT_TRUE(newInTrash().empty()) << "nothing that took an item's place was recycled";
    EXPECT_EQ(fs::file_size(tree_ / "other.txt"), 50u);
    EXPECT_EQ(fs::file_size(tree_ / "keep" / "new.bin"), 60u);
    ASSERT_TRUE(pumpUntil(main_, [&] {
        return !main_.controller().running() && !main_.pendingDeletes().hasFoldersToRead();
    }));
    EXPECT_EQ(rootSize(), bytesOnDisk(tree_)) << "no phantom, and the renamed items are counted";
    EXPECT_NE(node("other-old.txt"), -1);
    EXPECT_NE(node("keep-old/a.bin"), -1);
}

// A folder link and two names that differ only in case are made by the host before the run
// (Wine's programs cannot make them): the link's target and the sibling are never recycled.
TEST_F(RecycleWindowTest, AFolderSwappedForALinkAndAFileForItsCaseSiblingAreLeftAlone) {
    const std::wstring fixture = environment(L"ROZOVIZOV_TEST_SWAP_FIXTURE");
    if (fixture.empty()) {
        GTEST_SKIP() << "run through ctest, which makes the link and the case siblings";
    }
    const fs::path root = windowsPathOf(fixture);
    ASSERT_TRUE(scanToTheEnd(main_, root.u16string()));
    const auto rowOf = [&](const fs::path& path) {
        for (scan::NodeId row = 1; row < store().publishedCount(); ++row) {
            if (store().pathOf(row, u'\\') == path.u16string()) {
                return static_cast<std::int32_t>(row);
            }
        }
        ADD_FAILURE() << path.string();
        return -1;
    };
    main_.moveToRecycleBin({rowOf(root / "case" / "Case.txt"), rowOf(root / "tree" / "docs")});
    ASSERT_EQ(items().size(), 2u);
    fs::remove(root / "case" / "Case.txt");
    std::ofstream(root / "swap-now").put('x');
    ASSERT_TRUE(pumpUntil(main_, [&] { return fs::exists(root / "swap-done"); }));
    DialogAnswerer answerer([](const SeenDialog&) { return IDOK; });
    tick(static_cast<int>(items()[0].remaining / app::kPendingTimerMilliseconds));
    ASSERT_TRUE(items().empty());
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_TRUE(
        answerer.seen()[0].shows(L"2 items were not moved to the Recycle Bin: each changed"));
    EXPECT_TRUE(newInTrash().empty());
    EXPECT_EQ(fs::file_size(root / "case" / "case.txt"), 20u) << "the sibling stays";
    EXPECT_TRUE(fs::exists(root / "outside" / "precious.dat")) << "the link's target stays";
    EXPECT_TRUE(fs::exists(root / "tree" / "docs-old" / "a.txt"));
    ASSERT_TRUE(pumpUntil(main_, [&] {
        return !main_.controller().running() && !main_.pendingDeletes().hasFoldersToRead();
    }));
    EXPECT_EQ(store().size.get(static_cast<scan::NodeId>(rowOf(root / "case"))), 20u);
    EXPECT_NE(rowOf(root / "tree" / "docs-old" / "a.txt"), -1);
}

// The buttons are where the list puts them now: a click after items joined, before any repaint,
// and a second quick click, each put back the item under them.
TEST_F(RecycleWindowTest, TwoQuickUndeleteClicksPutBackExactlyTheItemsClicked) {
    main_.moveToRecycleBin({node("docs")});
    UpdateWindow(pane());
    main_.moveToRecycleBin({node("other.txt")});
    main_.moveToRecycleBin({node("keep/a.bin")});
    ASSERT_EQ(items().size(), 3u);  // a.bin, other.txt, docs
    const auto press = [&](int row) {
        const Box box = main_.pendingPane()->rowButtonNow(row);
        SendMessageW(pane(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2));
        SendMessageW(pane(), WM_LBUTTONUP, 0,
                     MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    };
    press(2);  // docs
    press(0);  // a.bin
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].name, u"other.txt");
    DialogAnswerer answerer([](const SeenDialog&) { return IDOK; });
    tick(static_cast<int>(items()[0].remaining / app::kPendingTimerMilliseconds));
    EXPECT_EQ(newInTrash(), (std::set<std::wstring>{L"other.txt"}));
    expectOnlyGone(tree_ / "other.txt");
    EXPECT_TRUE(answerer.seen().empty());
}

// Del on the root finds the command greyed; a folder whose child counts down takes its place.
TEST_F(RecycleWindowTest, TheRootCannotBeChosenAndAFolderTakesItsPendingChildsPlace) {
    main_.selectNode(0);
    EXPECT_EQ(main_.deletableCount(), 0u);
    EXPECT_NE(menuItemState(main_, 1, app::CommandMoveToRecycleBin) & MF_GRAYED, 0u);
    main_.selectNode(node("docs"));
    EXPECT_EQ(main_.deletableCount(), 1u);
    EXPECT_EQ(menuItemState(main_, 1, app::CommandMoveToRecycleBin) & MF_GRAYED, 0u);

    const std::uint64_t before = rootSize();
    main_.moveToRecycleBin({node("docs/inner/deep.txt")});
    tick(30);
    main_.moveToRecycleBin({node("docs")});
    ASSERT_EQ(items().size(), 1u) << "one entry for the folder and its child";
    EXPECT_EQ(items()[0].name, u"docs");
    EXPECT_EQ(rootSize(), before - 2200);
    main_.pendingDeletes().undelete(0);
    EXPECT_EQ(rootSize(), before);
}

// Run by a second test entry whose XDG_DATA_HOME names a file, so that Wine has no Recycle Bin at
// all: the check before the operation refuses, and the shell never gets the item to destroy.
class WithoutRecycleBin : public RecycleWindowTest {};

TEST_F(WithoutRecycleBin, TheSelectionIsRefusedAtOnceInOneMessage) {
    if (environment(L"ROZOVIZOV_TEST_NO_RECYCLE_BIN").empty()) {
        GTEST_SKIP() << "runs in the test entry without a Recycle Bin";
    }
    for (int i = 0; i < 44; ++i) {
        write("many/file" + std::to_string(i) + ".dat", 10);
    }
    ASSERT_TRUE(scanToTheEnd(main_, tree_.u16string()));
    std::vector<std::int32_t> chosen;
    for (int i = 0; i < 44; ++i) {
        chosen.push_back(node("many/file" + std::to_string(i) + ".dat"));
    }
    const std::uint64_t before = rootSize();
    DialogAnswerer answerer([](const SeenDialog&) { return IDOK; });
    main_.moveToRecycleBin(chosen);
    ASSERT_EQ(answerer.seen().size(), 1u) << "one message, at once, for the whole selection";
    const SeenDialog& message = answerer.seen()[0];
    EXPECT_TRUE(
        message.shows(L"44 items could not be moved to the Recycle Bin. For each of them: "
                      L"this drive has no Recycle Bin. They are still where they were:"));
    EXPECT_TRUE(message.shows(L"\u2022 " + (tree_ / "many" / "file0.dat").wstring()));
    EXPECT_TRUE(message.shows(L"and 39 more."));
    EXPECT_TRUE(items().empty()) << "no countdown before a refusal known at once";
    EXPECT_FALSE(IsWindowVisible(pane()));
    EXPECT_EQ(rootSize(), before);
    expectOnlyGone(tree_ / "nothing");
}

}  // namespace
}  // namespace deleting
