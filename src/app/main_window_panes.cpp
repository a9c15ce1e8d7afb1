#include "app/main_window.h"

#include "app/commands.h"
#include "app/window_classes.h"
#include "panes/information_panel_win32.h"
#include "panes/selection_panel_win32.h"
#include "ui/formats.h"
#include "ui/theme_win32.h"

namespace app {

namespace {

struct ToolWindow {
    const wchar_t* windowClass;
    WNDPROC procedure;
    const wchar_t* title;
    int width;  // the window's size in pixels, whatever the DPI: a first size, not a metric
    int height;
};

constexpr ToolWindow kSelectionWindow{
    panes::kSelectionPanelClass, &panes::SelectionPanel::windowProcedure, L"Selection", 440, 320};
constexpr ToolWindow kInformationWindow{panes::kInformationPanelClass,
                                        &panes::InformationPanel::windowProcedure, L"Information",
                                        460, 360};

// The panel's window, owned by the main window so it stays above it and goes with it. The panel
// object is bound to it afterwards, so the messages of its creation take the default course.
HWND createToolWindow(HWND owner, const ToolWindow& tool) {
    registerWindowClass(tool.windowClass, tool.procedure, nullptr);
    const HWND made = CreateWindowExW(WS_EX_TOOLWINDOW, tool.windowClass, tool.title,
                                      WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT,
                                      CW_USEDEFAULT, tool.width, tool.height, owner, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    if (made != nullptr) {
        ui::applyWindowTheme(made);
    }
    return made;
}

// Hides a shown panel; otherwise makes its window the first time and shows it. True when the
// panel is shown now.
template <typename Panel>
bool togglePanel(Panel& panel, HWND owner, const ToolWindow& tool) {
    if (panel.shown()) {
        ShowWindow(panel.window(), SW_HIDE);
        return false;
    }
    if (panel.window() == nullptr) {
        const HWND made = createToolWindow(owner, tool);
        if (made == nullptr) {
            return false;
        }
        panel.attach(made);
    }
    ShowWindow(panel.window(), SW_SHOW);
    return true;
}

}  // namespace

void MainWindow::createKindPane() {
    registerWindowClass(panes::kKindPaneClass, &panes::KindPane::windowProcedure,
                        LoadCursorW(nullptr, IDC_ARROW));
    kindPane_ = std::make_unique<panes::KindPane>();
    kindPane_->create(window_, ControlKindsPane);
    kindPane_->setColours(&kindColours_);
}

void MainWindow::toggleSelectionPanel() {
    if (togglePanel(panes::SelectionPanel::instance(), window_, kSelectionWindow)) {
        updateInspectors(focusNode());
    }
}

void MainWindow::toggleInformationPanel() {
    if (togglePanel(panes::InformationPanel::instance(), window_, kInformationWindow)) {
        updateInspectors(focusNode());
    }
}

void MainWindow::clearInspectors() {
    panes::InformationPanel::instance().clearPanel();
    panes::SelectionPanel::instance().clearPanel();
}

void MainWindow::updateInspectors(std::int32_t node) {
    const scan::Scanner* scanner = controller_.scanner();
    if (scanner == nullptr || node < 0 ||
        static_cast<std::uint64_t>(node) >= scanner->store().publishedCount()) {
        return;
    }
    const scan::NodeStore& store = scanner->store();
    panes::InformationPanel& information = panes::InformationPanel::instance();
    if (information.shown()) {
        information.showNode(store, node, ui::sizeText(displayedValue(node)));
    }
    panes::SelectionPanel& selection = panes::SelectionPanel::instance();
    if (selection.shown()) {
        selection.showNode(store, node, [this](scan::NodeId row) {
            return ui::sizeText(displayedValue(static_cast<std::int32_t>(row)));
        });
    }
}

void MainWindow::selectNode(std::int32_t node) {
    // The list shows the choice, opening its folders, and its selection notice brings the treemap
    // and the panels along; when the list's selection stays as it was, they are told here.
    if (node < 0 && fileList_ != nullptr && fileList_->clearSelection()) {
        return;
    }
    if (fileList_ != nullptr && fileList_->reveal(node)) {
        return;
    }
    treemapView_->setSelectedNode(node);
    updateInspectors(node);
}

std::int64_t MainWindow::displayedValue(std::int32_t node) const {
    const scan::Scanner* scanner = controller_.scanner();
    if (scanner == nullptr || node < 0 ||
        static_cast<std::uint64_t>(node) >= scanner->store().publishedCount()) {
        return 0;
    }
    return scan::measureValue(scanner->store(), static_cast<scan::NodeId>(node), measure_,
                              settings_.showPhysicalFileSize());
}

}  // namespace app
