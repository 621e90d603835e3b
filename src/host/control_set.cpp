#include "host/control_set.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "../../res/resource.h"
#include "host/window_base.h"
#include "platform/win32/text.h"

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

// A plain container: what its controls tell it belongs to the window it sits in, and it takes
// the background that window gives its labels.
LRESULT CALLBACK panelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_ERASEBKGND: {
      const auto brush = reinterpret_cast<HBRUSH>(
          SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(hwnd)));
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
      return 1;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// A row's last column can start further right than the list is wide; the list then scrolls
// sideways as far as its widest row reaches.
void widenListFor(HWND list, const forms::ListBox& model, const std::wstring& row) {
  const int lastStop = model.tabStops().empty() ? 0 : model.tabStops().back();
  const WindowDC dc(list);
  const Selected font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32W(dc, alphabet, 52, &size);
  const int averageChar = (size.cx / 26 + 1) / 2;
  const size_t tab = row.rfind(L'\t');
  const std::wstring last = tab == std::wstring::npos ? row : row.substr(tab + 1);
  GetTextExtentPoint32W(dc, last.c_str(), static_cast<int>(last.size()), &size);
  const int start = tab == std::wstring::npos ? 0 : MulDiv(lastStop, averageChar, 4);
  const int extent = start + size.cx + 2 * averageChar;
  if (extent > static_cast<int>(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0)))
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
}

// Only a real change: a control made with its text already is not redrawn for nothing.
void setText(HWND window, const std::string& text) {
  const std::wstring wide = widen(text);
  if (windowText(window) != wide) SetWindowTextW(window, wide.c_str());
}

// Where a control goes at `dpi`, in its parent's pixels: left, top, width, height.
RECT placed(const Placement& placement, UINT dpi) {
  const TwipsRect& r = placement.twips;
  int height = std::max(twipsToPixels(r.height, dpi), 1);
  // A drop-down list's height includes its open list; the closed box sizes itself to the font.
  if (std::holds_alternative<forms::ComboBox*>(placement.model)) height *= 8;
  return {twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi), twipsToPixels(r.width, dpi),
          height};
}

// What real control a placement becomes: its class, styles and text.
struct Kind {
  const wchar_t* cls = WC_STATICW;
  // Labels take the mouse too, so that only the window's own background starts a drag. Made
  // hidden, and shown all at once (show).
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS, exStyle = WS_EX_NOPARENTNOTIFY;
  std::string caption;
};

Kind kindOf(const Placement& placement) {
  Kind k;
  k.caption = placement.name ? placement.name : "";
  constexpr DWORD kGroupStop = WS_TABSTOP | WS_GROUP;
  const auto label = [&](const std::string& caption) {
    k.style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
    k.caption = caption;
  };
  const auto button = [&](DWORD style, const std::string& caption) {
    k.cls = WC_BUTTONW, k.style |= style, k.caption = caption;
  };
  std::visit(Overloaded{
                 // A push button the skin draws: the keyboard reaches it and a screen reader
                 // reads its unpainted text.
                 [&](const HotSpot&) { button(BS_OWNERDRAW | WS_TABSTOP, k.caption); },
                 [&](const Link& link) { label(link.model->caption()); },
                 [&](forms::Label* model) { label(model->caption()); },
                 [&](const Container&) { k.cls = kPanelClass, k.exStyle |= WS_EX_CONTROLPARENT; },
                 [&](const ProgramIcon&) { k.style |= SS_ICON | SS_REALSIZECONTROL; },
                 [&](const Rule&) { k.style |= SS_OWNERDRAW; },
                 // Tab enters a group at its selected option; the arrows select as they move.
                 [&](const OptionButton& o) {
                   button(BS_AUTORADIOBUTTON | (o.index == 0 ? WS_GROUP : 0) |
                              (o.group->value(o.index) ? WS_TABSTOP : 0),
                          o.group->caption(o.index));
                 },
                 [&](forms::CheckBox* box) { button(BS_3STATE | kGroupStop, box->caption()); },
                 [&](forms::CommandButton* b) {
                   button(kGroupStop | (placement.id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                          b->caption());
                 },
                 [&](forms::TextBox*) {
                   k.cls = WC_EDITW, k.style |= ES_AUTOHSCROLL | kGroupStop;
                   k.exStyle |= WS_EX_CLIENTEDGE;
                 },
                 [&](forms::UpDown*) { k.cls = UPDOWN_CLASSW; },
                 [&](forms::ComboBox*) {
                   k.cls = WC_COMBOBOXW, k.style |= CBS_DROPDOWNLIST | WS_VSCROLL | kGroupStop;
                 },
                 [&](forms::ProgressBar*) { k.cls = PROGRESS_CLASSW; },
                 [&](forms::ListBox*) {
                   k.cls = WC_LISTBOXW;
                   k.style |= LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS | LBS_NOSEL | WS_VSCROLL |
                              WS_HSCROLL | kGroupStop;
                   k.exStyle |= WS_EX_CLIENTEDGE;
                 },
             },
             placement.model);
  return k;
}

// A screen reader names an edit, a list or a drop-down by the label just before it; this one is
// never shown, the artwork says the same.
bool namedByLabel(const Placement& placement) {
  return placement.name && (std::holds_alternative<forms::TextBox*>(placement.model) ||
                            std::holds_alternative<forms::ComboBox*>(placement.model) ||
                            std::holds_alternative<forms::ListBox*>(placement.model));
}

void showListChange(HWND h, const forms::ListBox& list, forms::ListBox::Op op, int index) {
  switch (op) {
    case forms::ListBox::Op::Cleared:
      SendMessageW(h, LB_RESETCONTENT, 0, 0);
      SendMessageW(h, LB_SETHORIZONTALEXTENT, 0, 0);
      break;
    case forms::ListBox::Op::Added: {
      const std::wstring row = widen(list.item(index));
      SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
      widenListFor(h, list, row);
      break;
    }
    case forms::ListBox::Op::Replaced:
      SendMessageW(h, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
      SendMessageW(h, LB_INSERTSTRING, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(widen(list.item(index)).c_str()));
      break;
    case forms::ListBox::Op::TabStops: {
      std::vector<INT> stops(list.tabStops().begin(), list.tabStops().end());
      SendMessageW(h, LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
      break;
    }
  }
}

}  // namespace

void ControlSet::create(HWND parent, HINSTANCE instance, PumpApi& pump,
                        std::vector<Placement> placements, UINT dpi, FontCache& fonts) {
  registerWindowClass(instance, kPanelClass, panelProc);
  window_ = parent;
  instance_ = instance;
  pump_ = &pump;
  children_.reserve(placements.size());
  for (Placement& placement : placements) {
    const Child* container = placement.container ? byId(placement.container) : nullptr;
    const HWND owner = container ? container->hwnd : parent;
    const Kind kind = kindOf(placement);
    const bool labelled = namedByLabel(placement);
    if (labelled)
      CreateWindowExW(WS_EX_NOPARENTNOTIFY, WC_STATICW, widen(kind.caption).c_str(),
                      WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, owner, nullptr, instance, nullptr);
    // In place from the start: one sizing pass, not two.
    const RECT r = placed(placement, dpi);
    const HWND child = CreateWindowExW(
        kind.exStyle, kind.cls, labelled ? L"" : widen(kind.caption).c_str(), kind.style, r.left,
        r.top, r.right, r.bottom, owner,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(placement.id)), instance, nullptr);
    if (std::holds_alternative<forms::UpDown*>(placement.model)) {
      // A fixed position inside a range, so both arrows always notify; the program keeps the
      // interval itself.
      SendMessageW(child, UDM_SETRANGE32, 0, 100);
      SendMessageW(child, UDM_SETPOS32, 0, 50);
    }
    children_.push_back({placement, child});
    dress(children_.back(), dpi, fonts);
  }
}

void ControlSet::dress(const Child& child, UINT dpi, FontCache& fonts) {
  SendMessageW(child.hwnd, WM_SETFONT,
               reinterpret_cast<WPARAM>(fonts.get(child.placement.font, dpi)), TRUE);
  if (std::holds_alternative<ProgramIcon>(child.placement.model)) {
    Icon icon = loadIcon(instance_, IDI_TARNWICK, twipsToPixels(child.placement.twips.width, dpi));
    SendMessageW(child.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    programIcon_ = std::move(icon);  // the control's previous one goes only now
  }
}

void ControlSet::applyDpi(UINT dpi, FontCache& fonts) {
  for (const Child& child : children_) {
    const RECT r = placed(child.placement, dpi);
    SetWindowPos(child.hwnd, nullptr, r.left, r.top, r.right, r.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    dress(child, dpi, fonts);
  }
}

// Shown one by one in a window on the screen, each child would be laid out and drawn on its own;
// with the window's drawing held, they all go in one step, and the window is drawn once, as soon
// as the loop asks for its messages: painting comes before any timer, so what is posted next
// comes after the first frame.
void ControlSet::show() {
  if (shown_ || !IsWindowVisible(window_)) return;
  shown_ = true;
  SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  for (const Child& child : children_) ShowWindow(child.hwnd, SW_SHOWNA);
  SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void ControlSet::bindOptions(forms::OptionGroup* group) {
  group->view = [this, group] {
    for (const Child& c : children_) {
      const auto* o = std::get_if<OptionButton>(&c.placement.model);
      if (!o || o->group != group) continue;
      const bool selected = group->value(o->index);
      SendMessageW(c.hwnd, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
      const LONG_PTR style = GetWindowLongPtrW(c.hwnd, GWL_STYLE);
      SetWindowLongPtrW(c.hwnd, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
  };
}

void ControlSet::bind(Child& child) {
  const HWND h = child.hwnd;
  std::visit(
      Overloaded{
          [h](const Link& link) {
            link.model->view = [h, m = link.model] { setText(h, m->caption()); };
          },
          [h](forms::Label* m) { m->view = [h, m] { setText(h, m->caption()); }; },
          [this](const OptionButton& option) { bindOptions(option.group); },
          [h](forms::CheckBox* m) {
            m->view = [h, m] {
              static constexpr WPARAM states[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
              SendMessageW(h, BM_SETCHECK, states[m->value()], 0);
            };
          },
          [h](forms::TextBox* m) {
            if (m->maxLength() > 0) SendMessageW(h, EM_LIMITTEXT, m->maxLength(), 0);
            // Rewriting the same text would move the caret under the user's typing.
            m->view = [h, m] { setText(h, m->text()); };
          },
          [h](forms::ComboBox* m) {
            for (const std::string& item : m->items())
              SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
            m->view = [h, m] { SendMessageW(h, CB_SETCURSEL, m->listIndex(), 0); };
          },
          [h](forms::ProgressBar* m) {
            // A new range redraws the whole bar: sent only when it changes.
            m->view = [h, m, range = -1.0f]() mutable {
              if (m->max() != range)
                SendMessageW(h, PBM_SETRANGE32, 0, static_cast<LPARAM>(range = m->max()));
              SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(m->value()), 0);
              // Drawn now, so that a run's steps do not leave painting waiting between them.
              UpdateWindow(h);
            };
          },
          [h](forms::ListBox* m) {
            m->hWnd = reinterpret_cast<intptr_t>(h);
            m->view = [h, m](forms::ListBox::Op op, int index) {
              showListChange(h, *m, op, index);
            };
          },
          [](const auto&) {},
      },
      child.placement.model);
}

// Brings the control to its model's current state; a group once for all its buttons.
void ControlSet::refresh(const Child& child, const forms::OptionGroup*& group) {
  std::visit(Overloaded{
                 [&](const OptionButton& o) {
                   if (o.group != std::exchange(group, o.group)) o.group->view();
                 },
                 [](forms::Label* m) { m->view(); },
                 [](forms::CheckBox* m) { m->view(); },
                 [](forms::TextBox* m) { m->view(); },
                 [](forms::ComboBox* m) { m->view(); },
                 [](forms::ProgressBar* m) { m->view(); },
                 [](forms::ListBox* m) {
                   m->view(forms::ListBox::Op::TabStops, -1);
                   for (int i = 0; i < m->listCount(); ++i) m->view(forms::ListBox::Op::Added, i);
                 },
                 [](const auto&) {},
             },
             child.placement.model);
}

void ControlSet::bind() {
  for (Child& child : children_) bind(child);
  const forms::OptionGroup* group = nullptr;
  for (const Child& child : children_) refresh(child, group);
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
  return child && (std::holds_alternative<HotSpot>(child->placement.model) || isLink(hwnd));
}

bool ControlSet::isLink(HWND hwnd) {
  const Child* child = byHwnd(hwnd);
  return child && std::holds_alternative<Link>(child->placement.model);
}

LRESULT ControlSet::notify(const NMHDR& header) {
  const Child* child = byHwnd(header.hwndFrom);
  if (!child || !std::holds_alternative<forms::UpDown*>(child->placement.model) ||
      header.code != UDN_DELTAPOS)
    return 0;
  // Sent from inside the arrow's button-down: a handler that pumped here would take the
  // button-up away from the control, which then repeats without end.
  command(child->placement.id, reinterpret_cast<const NMUPDOWN&>(header).iDelta > 0);
  return TRUE;  // the control keeps its own position where it is
}

void ControlSet::draw(const DRAWITEMSTRUCT& item) const {
  for (const Child& child : children_) {
    if (child.hwnd != item.hwndItem) continue;
    if (const auto* rule = std::get_if<Rule>(&child.placement.model))
      FillRect(item.hDC, &item.rcItem,
               GetSysColorBrush(rule->light ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW));
    else if (drawHotSpot)
      drawHotSpot(item);
  }
}

// Posted, so that the handler runs once the control has finished with the input; not at all
// once the controls are gone (a dialog closed meanwhile).
void ControlSet::command(int id, int code) {
  later([this, id, code] { apply(id, code); });
}

void ControlSet::later(std::function<void()> work) {
  if (!pump_) return;
  pump_->post([alive = std::weak_ptr<bool>(alive_), work = std::move(work)] {
    if (!alive.expired()) work();
  });
}

bool ControlSet::pressFocused() {
  const Child* child = byHwnd(GetFocus());
  if (!child || !std::holds_alternative<HotSpot>(child->placement.model)) return false;
  command(child->placement.id, BN_CLICKED);
  return true;
}

void ControlSet::apply(int id, int code) {
  Child* child = byId(id);
  if (!child) return;
  const HWND h = child->hwnd;
  std::visit(Overloaded{
                 [&](const HotSpot& spot) {
                   if (code == BN_CLICKED && spot.model->Click) spot.model->Click();
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
                   if (code == EN_SETFOCUS || code == EN_KILLFOCUS)
                     box->setFocused(code == EN_SETFOCUS);
                 },
                 [&](forms::ComboBox* combo) {
                   // However the list closes (a click, Enter, Esc, a click elsewhere), what the
                   // box shows is what is used: some systems select as the mouse hovers and keep
                   // it on Esc, without a selection notice.
                   if (code == CBN_SELCHANGE || code == CBN_CLOSEUP || code == CBN_SELENDOK ||
                       code == CBN_SELENDCANCEL || code == CBN_KILLFOCUS)
                     combo->setListIndex(static_cast<int>(SendMessageW(h, CB_GETCURSEL, 0, 0)));
                 },
                 [&](forms::UpDown* upDown) {
                   const auto& click = code ? upDown->UpClick : upDown->DownClick;
                   if (click) click();
                 },
                 [](const auto&) {},
             },
             child->placement.model);
}

}  // namespace tarnwick::win32
