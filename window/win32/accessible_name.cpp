#include "window/win32/accessible_name.h"

#include <oleacc.h>

#include <utility>

#include "window/win32/system_folder.h"
#include "window/win32/system_function.h"

namespace duedate::win32 {
namespace {

constexpr wchar_t kProperty[] = L"Yuchanqi.AccessibleName";

// The few functions of OLE the names need, looked up in DLLs of the system
// folder when a screen reader first asks. Only the UI thread uses them.
struct OleFunctions {
  HRESULT(WINAPI* createStandard)(HWND, LONG, REFIID, void**) = nullptr;  // CreateStdAccessibleObject
  LRESULT(WINAPI* resultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;  // LresultFromObject
  BSTR(WINAPI* allocString)(const OLECHAR*, UINT) = nullptr;               // SysAllocStringLen
  void(WINAPI* uninitialize)() = nullptr;                                  // OleUninitialize
  bool initialised = false;  // OleInitialize succeeded: OleUninitialize is owed
};

enum class Loading { NotTried, Loaded, Missing };
Loading loading = Loading::NotTried;
OleFunctions ole;

// The functions, loaded on the first call; nullptr where this Windows lacks them.
const OleFunctions* Ole() {
  if (loading == Loading::NotTried) {
    loading = Loading::Missing;  // tried once: a missing DLL stays missing
    HMODULE ole32 = LoadSystemDll(L"ole32.dll");
    HMODULE oleaut32 = LoadSystemDll(L"oleaut32.dll");
    HMODULE oleacc = LoadSystemDll(L"oleacc.dll");
    using Initialize = HRESULT(WINAPI*)(LPVOID);
    const auto initialize = SystemFunction<Initialize>(ole32, "OleInitialize");
    ole.uninitialize = SystemFunction<decltype(ole.uninitialize)>(ole32, "OleUninitialize");
    ole.allocString = SystemFunction<decltype(ole.allocString)>(oleaut32, "SysAllocStringLen");
    ole.createStandard =
        SystemFunction<decltype(ole.createStandard)>(oleacc, "CreateStdAccessibleObject");
    ole.resultFromObject = SystemFunction<decltype(ole.resultFromObject)>(oleacc, "LresultFromObject");
    if (initialize != nullptr && ole.uninitialize != nullptr && ole.allocString != nullptr &&
        ole.createStandard != nullptr && ole.resultFromObject != nullptr) {
      // S_FALSE too (OLE was already on) owes an OleUninitialize. COM started
      // otherwise on this thread serves as well; OLE that cannot start at
      // all leaves the boxes to answer as standard boxes do.
      const HRESULT started = initialize(nullptr);
      ole.initialised = SUCCEEDED(started);
      if (ole.initialised || started == RPC_E_CHANGED_MODE) loading = Loading::Loaded;
    }
  }
  return loading == Loading::Loaded ? &ole : nullptr;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The same of an argument given late-bound, as scripting clients give it:
// a short or a long, or a reference to a variant holding one.
bool IsSelfArgument(const VARIANT& child) {
  if (child.vt == (VT_BYREF | VT_VARIANT)) return child.pvarVal != nullptr && IsSelfArgument(*child.pvarVal);
  return (child.vt == VT_I4 && child.lVal == CHILDID_SELF) ||
         (child.vt == VT_I2 && child.iVal == CHILDID_SELF);
}

// What a named box keeps: its own window procedure, its name, and its
// description, which may change while a screen reader holds its object.
struct NamedBox {
  WNDPROC original;
  std::wstring name;
  std::wstring description;
};

// The description of a named box as it stands now; empty where there is none
// or the box is gone.
const std::wstring* DescriptionOf(HWND box) {
  const auto* named = static_cast<const NamedBox*>(GetPropW(box, kProperty));
  return named != nullptr && !named->description.empty() ? &named->description : nullptr;
}

// The standard accessible object of a control, answering for its name,
// description and help itself and passing every other question on. It is
// one COM object: whichever of its interfaces is asked for IUnknown answers
// with the same pointer, and the standard object's own interfaces are never
// handed out. Of those, what screen readers use of an edit control is passed
// on through interfaces of ours (IAccessible, IDispatch, IEnumVARIANT and
// IOleWindow); others are not offered. IServiceProvider least of all: UI
// Automation asks it for a provider of the box (IAccessibleEx), which would
// then answer in place of this object, with the standard names.
class NamedAccessible final : public IAccessible, public IEnumVARIANT, public IOleWindow {
 public:
  NamedAccessible(IAccessible* standard, HWND box, const std::wstring& name)
      : standard_(standard), box_(box), name_(name) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
    } else if (iid == __uuidof(IEnumVARIANT) || iid == __uuidof(IOleWindow)) {
      // Offered where the standard object offers it, for it answers.
      IUnknown* theirs = nullptr;
      if (FAILED(standard_->QueryInterface(iid, reinterpret_cast<void**>(&theirs))) ||
          theirs == nullptr) {
        return E_NOINTERFACE;
      }
      theirs->Release();
      if (iid == __uuidof(IEnumVARIANT)) {
        *object = static_cast<IEnumVARIANT*>(this);
      } else {
        *object = static_cast<IOleWindow*>(this);
      }
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IAccessible: the name is ours.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    return Give(name_, name);
  }
  // … and the description, the box's as it stands when asked. The same
  // text is its help: UI Automation's proxy for Active Accessibility
  // (Narrator's way in) makes HelpText of accHelp and drops accDescription.
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    const std::wstring* ours = IsSelf(child) ? DescriptionOf(box_) : nullptr;
    if (ours == nullptr) return standard_->get_accDescription(child, description);
    return Give(*ours, description);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    const std::wstring* ours = IsSelf(child) ? DescriptionOf(box_) : nullptr;
    if (ours == nullptr) return standard_->get_accHelp(child, help);
    return Give(*ours, help);
  }

  // IDispatch and the rest of IAccessible: the standard object's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return standard_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return standard_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument) override {
    // The name, description and help asked for late-bound, of the box
    // itself, are ours too.
    const bool described = DescriptionOf(box_) != nullptr;
    if ((id == DISPID_ACC_NAME || (described && (id == DISPID_ACC_DESCRIPTION || id == DISPID_ACC_HELP))) &&
        (flags & DISPATCH_PROPERTYGET) != 0 && result != nullptr &&
        params != nullptr && params->cNamedArgs == 0 &&
        (params->cArgs == 0 || (params->cArgs == 1 && IsSelfArgument(params->rgvarg[0])))) {
      VARIANT self{};
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      BSTR text = nullptr;
      const HRESULT got = id == DISPID_ACC_NAME          ? get_accName(self, &text)
                          : id == DISPID_ACC_DESCRIPTION ? get_accDescription(self, &text)
                                                         : get_accHelp(self, &text);
      if (SUCCEEDED(got)) {
        result->vt = VT_BSTR;
        result->bstrVal = text;
      }
      return got;
    }
    return standard_->Invoke(id, iid, locale, flags, params, result, exception, argument);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return standard_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

  // IEnumVARIANT: the standard object's children.
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override {
    return Through<IEnumVARIANT>([&](IEnumVARIANT* theirs) { return theirs->Next(count, children, fetched); });
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    return Through<IEnumVARIANT>([&](IEnumVARIANT* theirs) { return theirs->Skip(count); });
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    return Through<IEnumVARIANT>([&](IEnumVARIANT* theirs) { return theirs->Reset(); });
  }
  // A copy of the enumerator is a new accessible object of the same box,
  // and it is named as well.
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    IEnumVARIANT* theirs = Standard<IEnumVARIANT>();
    if (theirs == nullptr) return E_UNEXPECTED;
    IEnumVARIANT* theirCopy = nullptr;
    HRESULT result = theirs->Clone(&theirCopy);
    theirs->Release();
    if (FAILED(result) || theirCopy == nullptr) return FAILED(result) ? result : E_UNEXPECTED;
    IAccessible* standardCopy = nullptr;
    result = theirCopy->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&standardCopy));
    theirCopy->Release();
    if (FAILED(result) || standardCopy == nullptr) return E_NOTIMPL;
    NamedAccessible* named = nullptr;
    try {
      named = new NamedAccessible(standardCopy, box_, name_);
    } catch (...) {  // no memory for the name: no exception crosses COM
    }
    if (named == nullptr) {
      standardCopy->Release();
      return E_OUTOFMEMORY;
    }
    *copy = static_cast<IEnumVARIANT*>(named);
    return S_OK;
  }

  // IOleWindow: the box.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    return Through<IOleWindow>([&](IOleWindow* theirs) { return theirs->GetWindow(window); });
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override {
    return Through<IOleWindow>([&](IOleWindow* theirs) { return theirs->ContextSensitiveHelp(enter); });
  }

 private:
  ~NamedAccessible() { standard_->Release(); }

  // `text` handed to the caller as a string of its own.
  static HRESULT Give(const std::wstring& text, BSTR* to) {
    if (to == nullptr) return E_POINTER;
    *to = ole.allocString(text.data(), static_cast<UINT>(text.size()));
    return *to != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  // Calls the standard object's own `Interface`, let go at once.
  template <class Interface, class Call>
  HRESULT Through(Call call) {
    Interface* theirs = Standard<Interface>();
    if (theirs == nullptr) return E_UNEXPECTED;
    const HRESULT result = call(theirs);
    theirs->Release();
    return result;
  }

  // The standard object's own `Interface`, to call and let go; never handed out.
  template <class Interface>
  Interface* Standard() {
    Interface* theirs = nullptr;
    if (FAILED(standard_->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(&theirs))))
      return nullptr;
    return theirs;
  }

  LONG references_ = 1;
  IAccessible* standard_;  // owned: one reference
  HWND box_;
  std::wstring name_;
};

LRESULT CALLBACK NamedBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* named = static_cast<NamedBox*>(GetPropW(box, kProperty));
  if (named == nullptr) return DefWindowProcW(box, message, wParam, lParam);
  const WNDPROC original = named->original;

  if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
    // A new object for each question, handed over and let go: the caller's
    // reference is the only one left. Without OLE, the box's own answer.
    IAccessible* standard = nullptr;
    const OleFunctions* functions = Ole();
    if (functions != nullptr &&
        SUCCEEDED(functions->createStandard(box, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&standard))) &&
        standard != nullptr) {
      NamedAccessible* wrapper = nullptr;
      try {
        wrapper = new NamedAccessible(standard, box, named->name);
      } catch (...) {  // no memory for the name: the box's own answer
      }
      if (wrapper == nullptr) {
        standard->Release();
      } else {
        const LRESULT result = functions->resultFromObject(
            __uuidof(IAccessible), wParam, static_cast<IAccessible*>(wrapper));
        wrapper->Release();
        if (result > 0) return result;  // else the box's own answer below
      }
    }
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(box, kProperty);
    delete named;
  }
  return CallWindowProcW(original, box, message, wParam, lParam);
}

}  // namespace

void NameForScreenReaders(HWND box, std::wstring name) {
  auto* named = new NamedBox{nullptr, std::move(name), {}};
  if (!SetPropW(box, kProperty, named)) {
    delete named;
    return;
  }
  named->original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedBoxProc)));
  if (named->original == nullptr) {  // the box keeps its own procedure, unnamed
    RemovePropW(box, kProperty);
    delete named;
  }
}

void DescribeForScreenReaders(HWND box, std::wstring description) {
  auto* named = static_cast<NamedBox*>(GetPropW(box, kProperty));
  if (named == nullptr || named->description == description) return;
  named->description = std::move(description);
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, box, OBJID_CLIENT, CHILDID_SELF);
  NotifyWinEvent(EVENT_OBJECT_HELPCHANGE, box, OBJID_CLIENT, CHILDID_SELF);  // UI Automation's HelpText
}

void EndScreenReaderSupport() {
  if (loading == Loading::Loaded && ole.initialised) {
    ole.initialised = false;
    ole.uninitialize();
  }
}

}  // namespace duedate::win32
