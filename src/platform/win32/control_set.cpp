#include "platform/win32/control_set.h"

#include <commctrl.h>

#include "platform/win32/dpi.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_platform.h"

namespace tarnwick::win32 {
namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

constexpr wchar_t kPanelClass[] = L"TarnwickPanel";

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A plain container: what its controls tell it belongs to the window it sits in.
LRESULT CALLBACK panelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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

void registerPanelClass(HINSTANCE instance) {
  WNDCLASSEXW panel{};
  panel.cbSize = sizeof panel;
  panel.lpfnWndProc = panelProc;
  panel.hInstance = instance;
  panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  panel.lpszClassName = kPanelClass;
  RegisterClassExW(&panel);  // fails harmlessly when already registered
}

// A row's last column can start further right than the list is wide; the list then scrolls
// sideways as far as its widest row reaches.
void widenListFor(HWND list, const std::wstring& row) {
  const auto lastStop =
      static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(list, win32::kLastTabStopProperty)));
  const HDC dc = GetDC(list);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32W(dc, alphabet, 52, &size);
  const int averageChar = (size.cx / 26 + 1) / 2;
  const size_t tab = row.rfind(L'\t');
  const std::wstring last = tab == std::wstring::npos ? row : row.substr(tab + 1);
  GetTextExtentPoint32W(dc, last.c_str(), static_cast<int>(last.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  const int start = tab == std::wstring::npos ? 0 : MulDiv(lastStop, averageChar, 4);
  const int extent = start + size.cx + 2 * averageChar;
  if (extent > static_cast<int>(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0)))
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
}

}  // namespace

void ControlSet::create(HWND parent, HINSTANCE instance, std::vector<Placement> placements,
                        HICON icon) {
  registerPanelClass(instance);
  parent_ = parent;
  icon_ = icon;
  children_.reserve(placements.size());
  for (Placement& placement : placements) {
    const Child* container = placement.container == kIdNone ? nullptr : byId(placement.container);
    const wchar_t* cls = WC_STATICW;
    // Labels take the mouse too, so that only the window's own background starts a drag.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    std::wstring caption;

    std::visit(Overloaded{
                   [&](const HotSpot&) { style |= SS_OWNERDRAW | SS_NOTIFY; },
                   [&](const Link& link) {
                     style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
                     caption = widen(link.model->caption());
                   },
                   [&](forms::Label* label) {
                     style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
                     caption = widen(label->caption());
                   },
                   [&](const Container&) { cls = kPanelClass, exStyle = WS_EX_CONTROLPARENT; },
                   [&](const ProgramIcon&) { style |= SS_ICON | SS_REALSIZECONTROL; },
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
                   [&](forms::CommandButton* button) {
                     cls = WC_BUTTONW;
                     style |= WS_TABSTOP | WS_GROUP |
                              (placement.id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                     caption = widen(button->caption());
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
                              WS_HSCROLL | WS_TABSTOP | WS_GROUP;
                     exStyle = WS_EX_CLIENTEDGE;
                   },
               },
               placement.model);

    const HWND child = CreateWindowExW(
        exStyle, cls, caption.c_str(), style, 0, 0, 0, 0, container ? container->hwnd : parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(placement.id)), instance, nullptr);
    children_.push_back({placement, child});
  }
}

void ControlSet::applyDpi(UINT dpi) {
  dpi_ = dpi;
  for (const Child& child : children_) {
    const TwipsRect& r = child.placement.twips;
    int height = twipsToPixels(r.height, dpi);
    // A drop-down list's height includes its open list; the closed box sizes itself to the font.
    if (std::holds_alternative<forms::ComboBox*>(child.placement.model)) height *= 8;
    SetWindowPos(child.hwnd, nullptr, twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi),
                 twipsToPixels(r.width, dpi), height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(child.placement.font)),
                 TRUE);
    if (std::holds_alternative<ProgramIcon>(child.placement.model) && icon_) {
      const int size = twipsToPixels(r.width, dpi);
      // A copy at the size the density asks for; the control owns it from here on.
      const HICON scaled = static_cast<HICON>(CopyImage(icon_, IMAGE_ICON, size, size, 0));
      if (const HICON old = reinterpret_cast<HICON>(
              SendMessageW(child.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(scaled), 0)))
        DestroyIcon(old);
    }
  }
}

HFONT ControlSet::font(const FontSpec& wanted) {
  auto& slot = fonts_[{wanted.face, wanted.points, wanted.bold, wanted.underline, dpi_}];
  if (!slot) {
    slot.reset(CreateFontW(-MulDiv(wanted.points, static_cast<int>(dpi_), 72), 0, 0, 0,
                           wanted.bold ? FW_BOLD : FW_NORMAL, 0, wanted.underline, 0,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                           widen(wanted.face).c_str()));
  }
  return slot.get();
}

void ControlSet::bind() {
  for (Child& child : children_) {
    const HWND h = child.hwnd;
    std::visit(
        Overloaded{
            [](const HotSpot&) {},
            [](const Container&) {},
            [](const ProgramIcon&) {},
            [](forms::UpDown*) {},
            [](forms::CommandButton*) {},
            [h](const Link& link) {
              forms::Label* label = link.model;
              label->view = [h, label] { SetWindowTextW(h, widen(label->caption()).c_str()); };
            },
            [h](forms::Label* label) {
              label->view = [h, label] { SetWindowTextW(h, widen(label->caption()).c_str()); };
            },
            [this](const OptionButton& option) {
              forms::OptionGroup* group = option.group;
              group->view = [this, group] {
                for (const Child& c : children_) {
                  const auto* o = std::get_if<OptionButton>(&c.placement.model);
                  if (o && o->group == group)
                    SendMessageW(c.hwnd, BM_SETCHECK,
                                 group->value(o->index) ? BST_CHECKED : BST_UNCHECKED, 0);
                }
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
              list->hWnd = reinterpret_cast<intptr_t>(h);
              list->view = [h, list](forms::ListBox::Op op, int index) {
                switch (op) {
                  case forms::ListBox::Op::Cleared:
                    SendMessageW(h, LB_RESETCONTENT, 0, 0);
                    SendMessageW(h, LB_SETHORIZONTALEXTENT, 0, 0);
                    break;
                  case forms::ListBox::Op::Added: {
                    const std::wstring row = widen(list->item(index));
                    SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
                    widenListFor(h, row);
                    break;
                  }
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

  // Bring every control to its model's current state.
  for (Child& child : children_) {
    std::visit(Overloaded{
                   [](const OptionButton& o) { o.group->view(); },
                   [](forms::Label* m) { m->view(); },
                   [](forms::CheckBox* m) { m->view(); },
                   [](forms::TextBox* m) { m->view(); },
                   [](forms::ComboBox* m) { m->view(); },
                   [](forms::ProgressBar* m) { m->view(); },
                   [](forms::ListBox* m) {
                     m->view(forms::ListBox::Op::Cleared, -1);
                     for (int i = 0; i < m->listCount(); ++i) m->view(forms::ListBox::Op::Added, i);
                   },
                   [](const auto&) {},
               },
               child.placement.model);
  }
}

ControlSet::Child* ControlSet::byId(int id) {
  for (Child& child : children_)
    if (child.placement.id == id) return &child;
  return nullptr;
}

ControlSet::Child* ControlSet::byHwnd(HWND hwnd) {
  for (Child& child : children_)
    if (child.hwnd == hwnd) return &child;
  return nullptr;
}

bool ControlSet::wantsHand(HWND hwnd) {
  const Child* child = byHwnd(hwnd);
  return child && (std::holds_alternative<HotSpot>(child->placement.model) ||
                   std::holds_alternative<Link>(child->placement.model));
}

bool ControlSet::command(int id, int code) {
  Child* child = byId(id);
  if (!child) return false;
  const HWND h = child->hwnd;
  std::visit(Overloaded{
                 [&](const HotSpot& spot) {
                   if (code == STN_CLICKED && spot.model->Click) spot.model->Click();
                 },
                 [&](const Link& link) {
                   if (code == STN_CLICKED && link.model->Click) link.model->Click();
                 },
                 [&](forms::CommandButton* button) {
                   if (code == BN_CLICKED && button->Click) button->Click();
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
  return true;
}

}  // namespace tarnwick::win32
