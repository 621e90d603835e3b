// The About box: title, version, description, the System Information button and the link to
// our web site. It lives only while it is shown.
#pragma once

#include <string>
#include <vector>

#include "app/layout.h"
#include "forms/controls.h"
#include "platform/platform.h"

namespace tarnwick {

// The project's home: its repository's page.
inline constexpr const char* kSiteAddress = "https://github.com/tarnwick/tarnwick-demo";

class frmAbout final : public Dialog {
 public:
  explicit frmAbout(Platform& platform);
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  forms::Label lblTitle{"Application Title"};
  forms::Label lblVersion{"Version"};
  forms::Label lblDescription{
      "Maximize the productivity of your PC by optimizing the use of it's resources."};
  forms::Label lblSite{kSiteAddress};
  forms::Label Label1{
      "Copyright (c) 2026 Tarnwick. Released under the MIT License: free to use, copy and "
      "share. Provided as is, without warranty of any kind."};
  forms::CommandButton cmdOK{"OK"};
  forms::CommandButton cmdSysInfo{"&System Info..."};

  void Form_Load() override;
  void Cancel() override { cmdOK_Click(); }
  void cmdOK_Click();
  void cmdSysInfo_Click();
  void lblSite_Click();
  void StartSysInfo();
  bool GetKeyValue(const OsHandle& KeyRoot, const std::string& KeyName,
                   const std::string& SubKeyRef, std::string& KeyVal);

  std::vector<Placement> layout() override;
  TwipsRect clientTwips() const override { return {0, 0, 5730, 3240}; }

 private:
  Platform& platform_;
};

// "Version 1.0.0" for major 1, minor 0, revision 0.
std::string versionText(const ShellApi::Version& version);

}  // namespace tarnwick
