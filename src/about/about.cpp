#include <cstring>

#include "about/frmAbout.h"
#include "app/frmMain.h"
#include "base/runtime.h"

namespace tarnwick {

frmAbout::frmAbout(Platform& platform) : platform_(platform) {
  cmdOK.Click = [this] { cmdOK_Click(); };
  cmdSysInfo.Click = [this] { cmdSysInfo_Click(); };
  lblSite.Click = [this] { lblSite_Click(); };
}

std::string versionText(const ShellApi::Version& version) {
  return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.revision);
}

void frmAbout::Form_Load() {
  form.caption = std::string("About ") + kAppTitle;
  lblVersion.setCaption(versionText(platform_.programVersion()));
  lblTitle.setCaption(kAppTitle);
}

void frmAbout::cmdOK_Click() {
  form.unload();
}

void frmAbout::cmdSysInfo_Click() {
  StartSysInfo();
}

void frmAbout::lblSite_Click() {
  platform_.shellExecute(form.hWnd, "Open", kSiteAddress, "", "", 1);
  platform_.doEvents();
}

void frmAbout::StartSysInfo() {
  try {
    std::string path;
    const auto found = [&] { return platform_.findOrdinaryFile(path); };
    bool located = GetKeyValue(win::kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                               "PATH", path) &&
                   found();
    if (!located)
      located = GetKeyValue(win::kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location",
                            "MSINFO", path) &&
                (path += "\\MSINFO32.EXE", found());
    // Current Windows names it in neither place; it lives in the system folder.
    if (!located) {
      path = platform_.systemFolder() + "\\msinfo32.exe";
      located = found();
    }
    if (!located || !platform_.startProgram(path)) throw RuntimeError("File not found");
  } catch (const std::exception&) {
    // Owned by this box, so that it stays in front and the box takes no second click.
    platform_.messageBox(form.hWnd, "System Information Is Unavailable At This Time", kAppTitle, 0);
  }
}

bool frmAbout::GetKeyValue(const OsHandle& KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
  // Read access is all this needs; full access is refused to standard users.
  const OsHandle key = platform_.regOpenKeyEx(KeyRoot, KeyName, win::kKeyRead);
  struct Closer {
    Platform& platform;
    OsHandle key;
    ~Closer() { platform.regCloseKey(key); }
  } closer{platform_, key};
  if (!key) {
    KeyVal.clear();
    return false;
  }
  uint32_t type = 0, size = 1024;
  std::string buffer(1024, '\0');
  if (!platform_.regQueryValueEx(key, SubKeyRef, &type, &buffer, &size)) {
    KeyVal.clear();
    return false;
  }
  // Cut to the reported size; a string's size counts its terminating zero, which goes.
  if (size == 0 || size > buffer.size()) throw RuntimeError("Invalid procedure call or argument");
  const std::string value = buffer.substr(0, buffer[size - 1] == '\0' ? size - 1 : size);
  if (type == win::kRegSz) {
    KeyVal = value;
  } else if (type == win::kRegExpandSz) {
    KeyVal = platform_.expandEnvironmentStrings(value);  // "%SystemRoot%\\..." on current Windows
  } else if (type == win::kRegDword) {
    uint32_t number = 0;
    std::memcpy(&number, buffer.data(), std::min<size_t>(sizeof number, size));
    KeyVal = std::to_string(number);
  }
  return true;
}

std::vector<Placement> frmAbout::layout() {
  const FontSpec title{"MS Sans Serif", 12, true};
  const FontSpec link{"MS Sans Serif", 8, false, true};
  return {
      {kIdAboutIcon, {120, 240, 720, 720}, kIdNone, ProgramIcon{}},
      {kIdAboutTitle, {1050, 240, 4485, 360}, kIdNone, &lblTitle, title},
      {kIdAboutVersion, {1050, 600, 4485, 225}, kIdNone, &lblVersion},
      {kIdAboutDescription, {1050, 1080, 4005, 450}, kIdNone, &lblDescription},
      {kIdAboutSite, {120, 1680, 2415, 255}, kIdNone, Link{&lblSite}, link},
      // Line1(1) and Line1(0): a grey line over a white one.
      {kIdAboutRuleDark, {90, 1965, 5564, 15}, kIdNone, Rule{false}},
      {kIdAboutRuleLight, {105, 1980, 5549, 15}, kIdNone, Rule{true}},
      {kIdAboutNotice, {120, 2040, 3975, 1215}, kIdNone, &Label1},
      {kIdAboutOK, {4245, 2145, 1260, 345}, kIdNone, &cmdOK},
      {kIdAboutSysInfo, {4260, 2595, 1245, 345}, kIdNone, &cmdSysInfo},
  };
}

}  // namespace tarnwick
