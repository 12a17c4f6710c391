// What a screen reader hears, asked through Active Accessibility as NVDA and
// Narrator ask: each control's name, value and role; the boxes' descriptions
// and the tooltips that show the same; and the accessible
// objects kept to COM's rules of identity, in the program's boxes (through
// COM's proxies) and in a box of this process named the program's way.
#include "window/win32/tests/probe.h"

#include <oleacc.h>
#include <servprov.h>

#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <regex>
#include <utility>
#include <vector>

#include "window/descriptions.h"
#include "window/win32/accessible_name.h"

namespace duedate::probe {
namespace {

// The accessible object itself, not one of its children.
VARIANT Self() {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

// A box's accessible description (or help), asked from this process as a
// screen reader asks, through IAccessible or, `late`, IDispatch; empty where it has none.
std::string DescriptionOf(HWND box, DISPID id = DISPID_ACC_DESCRIPTION, bool late = false) {
  IAccessible* accessible = nullptr;
  if (FAILED(AccessibleObjectFromWindow(box, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&accessible))) ||
      accessible == nullptr) {
    return "<no IAccessible>";
  }
  VARIANT got{};
  DISPPARAMS none{};
  const HRESULT hr = late ? accessible->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr)
                     : id == DISPID_ACC_HELP ? (got.vt = VT_BSTR, accessible->get_accHelp(Self(), &got.bstrVal))
                                             : (got.vt = VT_BSTR, accessible->get_accDescription(Self(), &got.bstrVal));
  std::string text = hr == S_OK && got.vt == VT_BSTR && got.bstrVal != nullptr
                         ? Utf8(std::wstring(got.bstrVal, SysStringLen(got.bstrVal))) : "";
  VariantClear(&got);
  accessible->Release();
  return text;
}

// The program's tooltip controls: the windows of that class it owns.
std::vector<HWND> TooltipsOf(const Program& program) {
  std::vector<HWND> found;
  for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
    if (GetWindow(tip, GW_OWNER) == program.form) found.push_back(tip);
  return found;
}

// The text the tooltip control shows for `box`, its lines joined by "\n",
// read through memory the program and this driver share.
std::string TooltipText(const Program& program, HWND tip, HWND box) {
  struct Asked {
    TOOLINFOW tool;
    wchar_t text[4096];
  };
  SharedBlock block(program.process.hProcess, sizeof(Asked));
  if (!block.Ready()) return "<no shared memory>";
  Asked asked{};
  asked.tool.cbSize = sizeof asked.tool;
  asked.tool.hwnd = program.form;
  asked.tool.uId = reinterpret_cast<UINT_PTR>(box);
  asked.tool.lpszText = reinterpret_cast<Asked*>(block.Address())->text;
  block.Put(asked);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(tip, TTM_GETTEXTW, std::size(asked.text), block.Address(), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  const Asked got = block.Written<Asked>();
  std::wstring text;
  for (std::size_t i = 0; i < std::size(got.text) && got.text[i] != L'\0'; ++i)
    if (got.text[i] != L'\r') text += got.text[i];
  return Utf8(text);
}

// The result boxes' descriptions, each followed by "|", and marked where the
// tooltip control `tip` (if any) shows another text.
std::string ResultDescriptions(const Program& program, HWND tip) {
  std::string all;
  for (const ResultField& field : kResultFields) {
    HWND box = Item(program, field.box);
    const std::string text = DescriptionOf(box);
    all += text + (tip != nullptr && TooltipText(program, tip, box) != text ? "<tooltip differs>|" : "|");
  }
  return all;
}

// Moves the pointer, as a mouse does, to the middle of `box`.
void PointAt(HWND box) {
  RECT place{};
  GetWindowRect(box, &place);
  for (int step = 0; step < 3; ++step) {
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv((place.left + place.right) / 2 + step, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv((place.top + place.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
    Sleep(100);
  }
}

}  // namespace

// Each box's description, as a screen reader hears it and as its tooltip
// shows it: the cycle box's from the start, the result boxes' none before
// 计算; after it, the reading of the results, agreeing with the due date;
// unchanged by a calculation that stops at a date.
void CheckDescriptions(const Program& program, const fs::path& screenshot) {
  Check(DescriptionOf(Item(program, Control::Text4)) == kCycleDescription, "Text4 tells screen readers what a cycle is");
  Check(ResultDescriptions(program, nullptr) == "|||||||", "before 计算 no result box is described",
        ResultDescriptions(program, nullptr));
  // The pointer over the window brings the one tooltip control.
  SetForegroundWindow(program.form);
  PointAt(Item(program, Control::Text4));
  HWND tip = nullptr;
  if (Check(WaitFor([&] { return TooltipsOf(program).size() == 1; }, 5000), "the pointer makes the tooltip control")) {
    tip = TooltipsOf(program)[0];
    const std::string shown = TooltipText(program, tip, Item(program, Control::Text4));
    Check(shown == kCycleDescription, "Text4's tooltip says what a cycle is", shown);
  }

  // The last period 150 days before today.
  const CalendarDate lastPeriod = *AddDays(Today(), -150);
  Type(program, Control::Text1, std::to_string(lastPeriod.year));
  Type(program, Control::Text2, std::to_string(lastPeriod.month));
  Type(program, Control::Text3, std::to_string(lastPeriod.day));
  const std::regex age("孕(\\d+)周\\+(\\d+)天");
  const std::regex weekday("^预产期：\\d{4}年\\d+月\\d+日，星期(一|二|三|四|五|六|日)，农历[^\n]+\n");
  for (const auto& [cycle, reading] : {std::pair{"28", "今天：孕21周+3天，孕中期\n"},
                                       {"35", "今天：孕20周+3天，孕中期\n"}}) {
    Type(program, Control::Text4, cycle);
    Press(program, Control::Command4);
    const std::string what = std::string("cycle ") + cycle + ": ";
    const std::string weeks = DescriptionOf(Item(program, Control::Text5));
    Check(weeks.rfind(reading, 0) == 0, what + "Text5 is described " + reading, weeks);
    std::smatch match;
    Check(std::regex_search(weeks, match, age) &&
              std::stoi(match[1]) * 7 + std::stoi(match[2]) == 280 - std::stoi(Box(program, Control::Text7)),
          what + "the weeks described are 280 days less Text7's", weeks);
    const std::string due = DescriptionOf(Item(program, Control::Text8));
    Check(std::regex_search(due, weekday), what + "Text8 names the due date's weekday", due);
    const std::string all = ResultDescriptions(program, tip);
    Check(all.find("<tooltip differs>") == std::string::npos, what + "each box's tooltip shows its description", all);
    for (const auto& [box, described] : {std::pair{Control::Text5, weeks}, {Control::Text8, due}})
      for (bool late : {false, true})  // the help, which UI Automation (Narrator) reads
        Check(DescriptionOf(Item(program, box), DISPID_ACC_HELP, late) == described,
              what + ControlName(SpecOf(box)) + "'s help is its description" + (late ? ", through IDispatch" : ""));
  }
  Check(TooltipsOf(program).size() == 1 && SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 8,
        "one tooltip control serves the seven result boxes and Text4");

  // The pointer resting on the weeks box shows its tooltip; photographed
  // with the window for a person to look at.
  SetForegroundWindow(program.form);
  PointAt(Item(program, Control::Text5));
  if (tip != nullptr && WaitFor([&] { return IsWindowVisible(tip) != FALSE; }, 5000)) {
    Sleep(300);
    RECT window{}, shown{}, both{};
    GetWindowRect(program.form, &window);
    GetWindowRect(tip, &shown);
    UnionRect(&both, &window, &shown);
    ScreenshotOf(both, screenshot);
  } else {
    std::printf("not checked: the tooltip did not show for the pointer moved here\n");
  }

  // A calculation that stops at a date changes no description.
  const std::string before = ResultDescriptions(program, tip);
  Type(program, Control::Text2, "13");
  Press(program, Control::Command4);
  if (HWND box = WaitForMessageBox(program, kMessageTitle)) Answer(box);
  Check(ResultDescriptions(program, tip) == before, "a failed calculation leaves the descriptions and tooltips");
  for (Control box : {Control::Text1, Control::Text2, Control::Text3, Control::Text4})
    Type(program, box, SpecOf(box).caption);
}

// What a screen reader hears for each control that takes the focus, asked
// through Active Accessibility from this process, as NVDA and Narrator ask.
void CheckScreenReaders(const Program& program) {
  // The text one of IAccessible's getters gives for the control itself.
  using Getter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
  const auto text = [](IAccessible* accessible, Getter get) {
    BSTR value = nullptr;
    const HRESULT hr = (accessible->*get)(Self(), &value);
    const std::string got = SUCCEEDED(hr) && value ? Utf8(std::wstring(value, SysStringLen(value)))
                                                   : "<error " + std::to_string(hr) + ">";
    SysFreeString(value);
    return got;
  };
  for (const ControlSpec* spec : TabOrder()) {
    const std::string name = ControlName(*spec);
    HWND child = Item(program, *spec);
    IAccessible* accessible = nullptr;
    const HRESULT asked = AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT),
                                                     __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&accessible));
    if (!Check(SUCCEEDED(asked), name + " answers Active Accessibility",
               "error " + std::to_string(static_cast<unsigned long>(asked)))) {
      continue;
    }
    const bool box = spec->kind == ControlKind::TextBox;
    const std::string expected = box ? spec->accessibleName : spec->caption;
    const std::string heard = text(accessible, &IAccessible::get_accName);
    Check(heard == expected, name + " is named " + expected, heard);
    if (box) {
      const std::string shown = text(accessible, &IAccessible::get_accValue);
      Check(shown == Box(program, spec->control), name + "'s value is its text", shown);
      VARIANT role{};
      Check(SUCCEEDED(accessible->get_accRole(Self(), &role)) && role.vt == VT_I4 &&
                role.lVal == ROLE_SYSTEM_TEXT,
            name + " is an editable text");
    }
    accessible->Release();
  }
}

namespace {

// The interfaces a screen reader may ask an accessible object for.
struct Interface {
  const char* name;
  IID iid;
};
const Interface kInterfaces[] = {
    {"IUnknown", __uuidof(IUnknown)},         {"IDispatch", __uuidof(IDispatch)},
    {"IAccessible", __uuidof(IAccessible)},   {"IEnumVARIANT", __uuidof(IEnumVARIANT)},
    {"IOleWindow", __uuidof(IOleWindow)},     {"IServiceProvider", __uuidof(IServiceProvider)},  // never offered
};

}  // namespace

// The name an object gives itself, asked through its IAccessible.
std::string AccessibleNameOf(IUnknown* object) {
  IAccessible* accessible = nullptr;
  if (FAILED(object->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible))) ||
      accessible == nullptr) {
    return "<no IAccessible>";
  }
  BSTR name = nullptr;
  const HRESULT hr = accessible->get_accName(Self(), &name);
  const std::string got = SUCCEEDED(hr) && name != nullptr
                              ? Utf8(std::wstring(name, SysStringLen(name)))
                              : "<error " + std::to_string(hr) + ">";
  SysFreeString(name);
  accessible->Release();
  return got;
}

namespace {

// One COM object, by the rules of IUnknown: through every interface it
// hands out, IUnknown is the same pointer, each interface it offers is
// offered alike (and only those), and the name is the box's.
void CheckComIdentity(IAccessible* accessible, const std::string& who, const std::string& name) {
  IUnknown* identity = nullptr;
  if (!Check(SUCCEEDED(accessible->QueryInterface(__uuidof(IUnknown),
                                                   reinterpret_cast<void**>(&identity))) &&
                 identity != nullptr,
             who + ": IAccessible answers IUnknown")) {
    return;
  }
  bool offered[std::size(kInterfaces)] = {};
  std::string list;
  for (std::size_t i = 0; i < std::size(kInterfaces); ++i) {
    IUnknown* p = nullptr;
    offered[i] = SUCCEEDED(accessible->QueryInterface(kInterfaces[i].iid, reinterpret_cast<void**>(&p))) &&
                 p != nullptr;
    if (p != nullptr) p->Release();
    if (offered[i]) list += std::string(list.empty() ? "" : ", ") + kInterfaces[i].name;
  }
  std::printf("%s offers %s\n", who.c_str(), list.c_str());
  for (std::size_t i = 0; i < std::size(kInterfaces); ++i) {
    if (!offered[i]) continue;
    IUnknown* through = nullptr;
    accessible->QueryInterface(kInterfaces[i].iid, reinterpret_cast<void**>(&through));
    IUnknown* itsIdentity = nullptr;
    through->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&itsIdentity));
    std::string differs;
    for (std::size_t j = 0; j < std::size(kInterfaces); ++j) {
      IUnknown* p = nullptr;
      const bool answers =
          SUCCEEDED(through->QueryInterface(kInterfaces[j].iid, reinterpret_cast<void**>(&p))) &&
          p != nullptr;
      if (p != nullptr) p->Release();
      if (answers != offered[j]) differs += std::string(kInterfaces[j].name) + (answers ? "+ " : "- ");
    }
    Check(itsIdentity == identity, who + ": through " + kInterfaces[i].name + ", IUnknown is the object's own");
    Check(differs.empty(), who + ": through " + kInterfaces[i].name + ", the same interfaces are offered",
          differs);
    const std::string heard = AccessibleNameOf(through);
    Check(heard == name, who + ": through " + kInterfaces[i].name + ", the name is " + name, heard);
    if (itsIdentity != nullptr) itsIdentity->Release();
    through->Release();
  }
  Check(!offered[std::size(kInterfaces) - 1], who + ": IServiceProvider, where UI Automation finds providers, is not offered");
  identity->Release();
}

std::vector<DWORD> changesHeard;  // of the accessible objects of this process
void CALLBACK HearChange(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) changesHeard.push_back(event);
}

// A copy of the object's enumerator is an accessible object of the same
// box, and it is named as well; false where the object makes no copies.
bool CheckEnumeratorCopy(IAccessible* accessible, const std::string& who, const std::string& name) {
  IEnumVARIANT* enumerator = nullptr;
  if (FAILED(accessible->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&enumerator))) ||
      enumerator == nullptr) {
    return false;
  }
  IEnumVARIANT* copy = nullptr;
  const HRESULT hr = enumerator->Clone(&copy);
  enumerator->Release();
  if (hr == E_NOTIMPL) return false;
  if (!Check(SUCCEEDED(hr) && copy != nullptr, who + ": its enumerator makes a copy",
             "error " + std::to_string(static_cast<unsigned long>(hr)))) {
    return true;
  }
  const std::string heard = AccessibleNameOf(copy);
  Check(heard == name, who + ": the copy of its enumerator is named " + name, heard);
  copy->Release();
  return true;
}

}  // namespace

// The program's names, in this process: a box of the driver's own, named the
// way the program names its boxes, asked the way a screen reader asks. The
// object itself comes back here, not a proxy of it, so that its identity is
// seen as it is.
void CheckNamedBoxIdentity() {
  HWND window = CreateWindowExW(0, L"STATIC", L"probe", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"2011", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
                             window, nullptr, GetModuleHandleW(nullptr), nullptr);
  const std::string name = "末次月经年份";
  win32::NameForScreenReaders(box, Wide(name));
  IAccessible* accessible = nullptr;
  const HRESULT asked = AccessibleObjectFromWindow(box, static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&accessible));
  if (Check(SUCCEEDED(asked) && accessible != nullptr, "a named box of this process answers",
            "error " + std::to_string(static_cast<unsigned long>(asked)))) {
    CheckComIdentity(accessible, "a named box", name);
    if (!CheckEnumeratorCopy(accessible, "a named box", name))
      std::printf("not checked: the standard object here makes no copy of its enumerator\n");
    VARIANT role{};
    Check(SUCCEEDED(accessible->get_accRole(Self(), &role)) && role.vt == VT_I4 &&
              role.lVal == ROLE_SYSTEM_TEXT,
          "a named box is still an editable text");
    // Asked late-bound, as scripting clients ask: without the child, with
    // it as a short, and as a reference to a variant.
    VARIANT self2{};
    self2.vt = VT_I2;
    self2.iVal = CHILDID_SELF;
    VARIANT byReference{};
    byReference.vt = VT_BYREF | VT_VARIANT;
    byReference.pvarVal = &self2;
    for (const auto& [how, argument] : {std::pair<const char*, VARIANT*>{"without the child", nullptr},
                                        {"the child a short", &self2},
                                        {"the child by reference", &byReference}}) {
      DISPPARAMS params{argument, nullptr, argument != nullptr ? 1u : 0u, 0};
      VARIANT late{};
      const HRESULT invoked = accessible->Invoke(DISPID_ACC_NAME, IID_NULL, LOCALE_USER_DEFAULT,
                                                 DISPATCH_PROPERTYGET, &params, &late, nullptr, nullptr);
      Check(SUCCEEDED(invoked) && late.vt == VT_BSTR && late.bstrVal != nullptr &&
                Utf8(std::wstring(late.bstrVal, SysStringLen(late.bstrVal))) == name,
            std::string("asked through IDispatch::Invoke, ") + how + ", a named box gives its name",
            "error " + std::to_string(static_cast<unsigned long>(invoked)));
      VariantClear(&late);
    }
    accessible->Release();
  }
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_HELPCHANGE, nullptr, HearChange,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  win32::DescribeForScreenReaders(box, L"孕20周+3天");
  MSG message;
  WaitFor([&] { while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message); return changesHeard.size() >= 2; });
  Check(changesHeard == std::vector<DWORD>{EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_HELPCHANGE},
        "a named box's new description is heard as a description change and a help change");
  UnhookWinEvent(hook);
  DestroyWindow(window);
}

// The same, asked of the program's boxes from here, through COM's proxies.
void CheckProgramIdentity(const Program& program) {
  for (Control control : {Control::Text1, Control::Text12}) {
    const ControlSpec& spec = SpecOf(control);
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(Item(program, spec), static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr) {
      Check(false, ControlName(spec) + " answers Active Accessibility");
      continue;
    }
    CheckComIdentity(accessible, ControlName(spec), spec.accessibleName);
    if (!CheckEnumeratorCopy(accessible, ControlName(spec), spec.accessibleName))
      std::printf("not checked: the standard object makes no copy of %s's enumerator\n",
                  ControlName(spec).c_str());
    accessible->Release();
  }
}

}  // namespace duedate::probe
