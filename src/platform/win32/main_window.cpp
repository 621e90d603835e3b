#include "platform/win32/main_window.h"

#include <commctrl.h>

#include <type_traits>

#include "../../../res/resource.h"
#include "platform/win32/dpi.h"
#include "platform/win32/text.h"

namespace tarnwick::win32 {
namespace {

constexpr wchar_t kPanelClass[] = L"TarnwickPanel";
constexpr UINT_PTR kGlobalTimerId = 1;
constexpr UINT_PTR kClockTimerId = 2;

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// No exception may cross a window procedure: a failing handler just ends where it failed.
template <class F>
void callCore(F&& f) noexcept {
  try {
    f();
  } catch (...) {
  }
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

Icon loadIcon(HINSTANCE instance, int size) {
  return Icon(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARNWICK), IMAGE_ICON, size, size, 0)));
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, frmMain& core) : instance_(instance), core_(core) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::create() {
  hotSpotCursor_ = LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_HOTSPOT));
  icon_ = loadIcon(instance_, GetSystemMetrics(SM_CXICON));
  smallIcon_ = loadIcon(instance_, GetSystemMetrics(SM_CXSMICON));

  WNDCLASSEXW panel{};
  panel.cbSize = sizeof panel;
  panel.lpfnWndProc = panelProc;
  panel.hInstance = instance_;
  panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  panel.lpszClassName = kPanelClass;
  RegisterClassExW(&panel);

  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.style = CS_DROPSHADOW;
  main.lpfnWndProc = windowProc;
  main.hInstance = instance_;
  main.hIcon = icon_.get();
  main.hIconSm = smallIcon_.get();
  main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  main.lpszClassName = kMainClass;
  if (!RegisterClassExW(&main)) return false;

  // No border, no caption and no taskbar button: the skin is the window's only frame.
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kMainClass, L"",
                  WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
                  nullptr, instance_, this);
  if (!hwnd_) return false;

  createChildren();
  core_.form.hWnd = reinterpret_cast<intptr_t>(hwnd_);
  if (Child* list = childById(kIdProcessList))
    core_.lstProcessList.hWnd = reinterpret_cast<intptr_t>(list->hwnd);
  applyDpi(dpiOf(hwnd_));
  bindModels();
  return true;
}

void MainWindow::createChildren() {
  const auto placements = core_.layout();
  children_.reserve(placements.size());
  for (const Placement& placement : placements) {
    const Child* container =
        placement.container == kIdNone ? nullptr : childById(placement.container);
    const HWND parent = container ? container->hwnd : hwnd_;
    const wchar_t* cls = WC_STATICW;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    std::wstring caption;

    std::visit(Overloaded{
                   [&](const HotSpot&) { style |= SS_OWNERDRAW | SS_NOTIFY; },
                   [&](forms::Label* label) {
                     style |= SS_LEFT | SS_NOPREFIX;
                     caption = widen(label->caption());
                   },
                   [&](const Container&) { cls = kPanelClass, exStyle = WS_EX_CONTROLPARENT; },
                   [&](const OptionButton& option) {
                     cls = WC_BUTTONW;
                     style |= BS_RADIOBUTTON | WS_TABSTOP | (option.index == 0 ? WS_GROUP : 0);
                     caption = widen(option.group->caption(option.index));
                   },
                   [&](forms::CheckBox* box) {
                     cls = WC_BUTTONW;
                     style |= BS_3STATE | WS_TABSTOP | WS_GROUP;
                     caption = widen(box->caption());
                   },
                   [&](forms::TextBox*) {
                     cls = WC_EDITW;
                     style |= ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
                     exStyle = WS_EX_CLIENTEDGE;
                   },
                   [&](forms::UpDown*) { cls = UPDOWN_CLASSW; },
                   [&](forms::ComboBox*) {
                     cls = WC_COMBOBOXW;
                     style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
                   },
                   [&](forms::ProgressBar*) { cls = PROGRESS_CLASSW; },
                   [&](forms::ListBox*) {
                     cls = WC_LISTBOXW;
                     style |= LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS | LBS_NOSEL | WS_VSCROLL |
                              WS_TABSTOP | WS_GROUP;
                     exStyle = WS_EX_CLIENTEDGE;
                   },
               },
               placement.model);

    const HWND child = CreateWindowExW(exStyle, cls, caption.c_str(), style, 0, 0, 0, 0, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(placement.id)),
                                       instance_, nullptr);
    children_.push_back({placement, child});
  }
}

void MainWindow::applyDpi(UINT dpi) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, 0, 0, twipsToPixels(kMainWidthTwips, dpi),
               twipsToPixels(kMainHeightTwips, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const Child& child : children_) {
    const TwipsRect& r = child.placement.twips;
    int height = twipsToPixels(r.height, dpi);
    // A drop-down list's height includes its open list; the closed box sizes itself to the font.
    if (std::holds_alternative<forms::ComboBox*>(child.placement.model)) height *= 8;
    SetWindowPos(child.hwnd, nullptr, twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi),
                 twipsToPixels(r.width, dpi), height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(child.placement.font)),
                 TRUE);
  }
  WindowDC screen(hwnd_);
  skin_.render(screen, dpi, icon_.get());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

HFONT MainWindow::font(const FontSpec& wanted) {
  auto& slot = fonts_[{wanted.face, wanted.points, wanted.bold, dpi_}];
  if (!slot) {
    slot.reset(CreateFontW(-MulDiv(wanted.points, static_cast<int>(dpi_), 72), 0, 0, 0,
                           wanted.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, widen(wanted.face).c_str()));
  }
  return slot.get();
}

void MainWindow::bindModels() {
  for (Child& child : children_) {
    const HWND h = child.hwnd;
    std::visit(
        Overloaded{
            [](const HotSpot&) {},
            [](const Container&) {},
            [](forms::UpDown*) {},
            [h](forms::Label* label) {
              label->view = [h, label] { SetWindowTextW(h, widen(label->caption()).c_str()); };
            },
            [this](const OptionButton& option) {
              forms::OptionGroup* group = option.group;
              group->view = [this, group] {
                for (const Child& c : children_)
                  if (const auto* o = std::get_if<OptionButton>(&c.placement.model);
                      o && o->group == group)
                    SendMessageW(c.hwnd, BM_SETCHECK,
                                 group->value(o->index) ? BST_CHECKED : BST_UNCHECKED, 0);
              };
            },
            [h](forms::CheckBox* box) {
              box->view = [h, box] {
                static constexpr WPARAM states[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
                SendMessageW(h, BM_SETCHECK, states[box->value()], 0);
              };
            },
            [h](forms::TextBox* box) {
              if (box->maxLength() > 0) SendMessageW(h, EM_LIMITTEXT, box->maxLength(), 0);
              // Rewriting the same text would move the caret under the user's typing.
              box->view = [h, box] {
                const std::wstring text = widen(box->text());
                if (windowText(h) != text) SetWindowTextW(h, text.c_str());
              };
            },
            [h](forms::ComboBox* combo) {
              for (const std::string& item : combo->items())
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
              combo->view = [h, combo] { SendMessageW(h, CB_SETCURSEL, combo->listIndex(), 0); };
            },
            [h](forms::ProgressBar* bar) {
              bar->view = [h, bar] {
                SendMessageW(h, PBM_SETRANGE32, 0, static_cast<LPARAM>(bar->max()));
                SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(bar->value()), 0);
              };
            },
            [h](forms::ListBox* list) {
              list->view = [h, list](forms::ListBox::Op op, int index) {
                switch (op) {
                  case forms::ListBox::Op::Cleared:
                    SendMessageW(h, LB_RESETCONTENT, 0, 0);
                    break;
                  case forms::ListBox::Op::Added:
                    SendMessageW(h, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(widen(list->item(index)).c_str()));
                    break;
                  case forms::ListBox::Op::Replaced:
                    SendMessageW(h, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
                    SendMessageW(h, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(widen(list->item(index)).c_str()));
                    break;
                }
              };
            },
        },
        child.placement.model);
  }

  // Bring every control to the model's current state.
  for (Child& child : children_) {
    std::visit(Overloaded{
                   [](const HotSpot&) {},
                   [](const Container&) {},
                   [](forms::UpDown*) {},
                   [](forms::Label* m) { m->view(); },
                   [](const OptionButton& o) { o.group->view(); },
                   [](forms::CheckBox* m) { m->view(); },
                   [](forms::TextBox* m) { m->view(); },
                   [](forms::ComboBox* m) { m->view(); },
                   [](forms::ProgressBar* m) { m->view(); },
                   [](forms::ListBox* m) {
                     m->view(forms::ListBox::Op::Cleared, -1);
                     for (int i = 0; i < m->listCount(); ++i) m->view(forms::ListBox::Op::Added, i);
                   },
               },
               child.placement.model);
  }

  if (Child* upDown = childById(kIdUpDown)) {
    // A fixed position inside a range, so both arrows always notify; the program keeps the
    // interval itself.
    SendMessageW(upDown->hwnd, UDM_SETRANGE32, 0, 100);
    SendMessageW(upDown->hwnd, UDM_SETPOS32, 0, 50);
  }

  core_.form.view = [this] {
    const forms::Form& form = core_.form;
    if (!form.visible()) {
      ShowWindow(hwnd_, SW_HIDE);
      return;
    }
    const bool minimized = IsIconic(hwnd_);
    const bool wantMinimized = form.windowState() == forms::WindowState::Minimized;
    if (!IsWindowVisible(hwnd_) || minimized != wantMinimized)
      ShowWindow(hwnd_, wantMinimized ? SW_MINIMIZE : SW_SHOWNORMAL);
  };

  bindTimer(kGlobalTimerId, core_.tmrGlobalTimer);
  bindTimer(kClockTimerId, core_.tmrTimer);
}

void MainWindow::bindTimer(UINT_PTR id, forms::Timer& timer) {
  timers_[id] = &timer;
  timer.view = [this, id, &timer] {
    if (timer.enabled())
      SetTimer(hwnd_, id, timer.interval(), nullptr);
    else
      KillTimer(hwnd_, id);
  };
  timer.view();
}

void MainWindow::loadAndShow() {
  callCore([&] { core_.Form_Load(); });

  // Centred on the work area of the monitor the window was created on.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = twipsToPixels(kMainWidthTwips, dpi_);
  const int height = twipsToPixels(kMainHeightTwips, dpi_);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  callCore([&] { core_.form.setVisible(true); });
  SetForegroundWindow(hwnd_);
}

MainWindow::Child* MainWindow::childById(int id) {
  for (Child& child : children_)
    if (child.placement.id == id) return &child;
  return nullptr;
}

MainWindow::Child* MainWindow::childByHwnd(HWND hwnd) {
  for (Child& child : children_)
    if (child.hwnd == hwnd) return &child;
  return nullptr;
}

void MainWindow::onCommand(int id, int code) {
  Child* child = childById(id);
  if (!child) return;
  const HWND h = child->hwnd;
  std::visit(Overloaded{
                 [&](const HotSpot& spot) {
                   if (code == STN_CLICKED && spot.model->Click) spot.model->Click();
                 },
                 [&](const OptionButton& option) {
                   if (code == BN_CLICKED) option.group->select(option.index);
                 },
                 [&](forms::CheckBox* box) {
                   if (code == BN_CLICKED) box->setValue(box->value() == 0 ? 1 : 0);
                 },
                 [&](forms::TextBox* box) {
                   if (code == EN_CHANGE) box->setText(narrow(windowText(h)));
                 },
                 [&](forms::ComboBox* combo) {
                   if (code == CBN_SELCHANGE)
                     combo->setListIndex(static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0)));
                 },
                 [](const auto&) {},
             },
             child->placement.model);
}

LRESULT MainWindow::onNotify(const NMHDR& header) {
  if (header.code == UDN_DELTAPOS && static_cast<int>(header.idFrom) == kIdUpDown) {
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    callCore([&] {
      auto& handler = change.iDelta > 0 ? core_.UpDown.UpClick : core_.UpDown.DownClick;
      if (handler) handler();
    });
    return TRUE;  // keep the control's own position where it is
  }
  return 0;
}

void MainWindow::onDrawItem(const DRAWITEMSTRUCT& item) {
  // Hot spots are transparent: they show the skin that lies under them.
  POINT origin{0, 0};
  MapWindowPoints(item.hwndItem, hwnd_, &origin, 1);
  skin_.paint(item.hDC, item.rcItem, {origin.x + item.rcItem.left, origin.y + item.rcItem.top});
}

void MainWindow::onSize(WPARAM kind) {
  const auto state =
      kind == SIZE_MINIMIZED ? forms::WindowState::Minimized : forms::WindowState::Normal;
  if (kind != SIZE_MINIMIZED && kind != SIZE_RESTORED) return;
  callCore([&] { core_.form.setWindowState(state); });
}

void MainWindow::onMove() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  core_.form.positionChanged(pixelsToTwips(r.left, dpi_), pixelsToTwips(r.top, dpi_));
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->handle(message, wParam, lParam);
  } catch (...) {
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(hwnd_, &ps);
      skin_.paint(dc, ps.rcPaint, {ps.rcPaint.left, ps.rcPaint.top});
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, skin_.bodyColour());
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(skin_.bodyBrush());
    }
    case WM_DRAWITEM:
      onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR: {
      const Child* child = childByHwnd(reinterpret_cast<HWND>(wParam));
      if (child && std::holds_alternative<HotSpot>(child->placement.model) && hotSpotCursor_) {
        SetCursor(hotSpotCursor_);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      if (lParam) callCore([&] { onCommand(LOWORD(wParam), HIWORD(wParam)); });
      return 0;
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      if (auto it = timers_.find(wParam); it != timers_.end() && it->second->Tick) {
        forms::Timer* timer = it->second;
        callCore([&] { timer->Tick(); });
      }
      return 0;
    case WM_SIZE:
      onSize(wParam);
      return 0;
    case WM_MOVE:
      onMove();
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      applyDpi(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE: {
      int16_t cancel = 0;
      callCore([&] { core_.Form_Unload(cancel); });
      if (!cancel) DestroyWindow(hwnd_);
      return 0;
    }
    case WM_DESTROY:
      for (const auto& [id, timer] : timers_) KillTimer(hwnd_, id);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::panelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A plain container: what its controls tell it belongs to the main window.
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace tarnwick::win32
