-- Applied by scripts/make-msi after wixl, one statement a line: wixl 0.101 has no RemoveFile,
-- RemoveRegistryValue or FileSearch element, ignores a Shortcut's Show and drops a component's
-- Condition.
-- The settings file and the leftovers of interrupted saves (each save's temporary file has a name
-- of its own; older versions used one name) go on uninstall only.
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('Settings', 'Cleanup', 'Settings.qkv', 'INSTALLDIR', 2)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('SettingsTmp', 'Cleanup', 'Settings.qkv.*.tmp', 'INSTALLDIR', 2)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('SettingsOldTmp', 'Cleanup', 'Settings.qkv.tmp', 'INSTALLDIR', 2)
-- The logon entry starts the program minimised (SW_SHOWMINNOACTIVE), which puts it in the tray.
UPDATE `Shortcut` SET `ShowCmd` = 7 WHERE `Shortcut` = 'LogonShortcut'
-- Older versions started at logon by a Run value; the shortcut replaces it.
CREATE TABLE `RemoveRegistry` (`RemoveRegistry` CHAR(72) NOT NULL, `Root` SHORT NOT NULL, `Key` CHAR(255) NOT NULL LOCALIZABLE, `Name` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `RemoveRegistry`)
INSERT INTO `RemoveRegistry` (`RemoveRegistry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('RunValue', 1, 'Software\Microsoft\Windows\CurrentVersion\Run', 'Tarnwick Demo', 'Program')
-- LOGONLINKFOUND: the shortcut, where an installed version put it.
CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), `Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)
INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('LogonLink', 'Tarnwick Demo.lnk')
INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('LogonLink', '[StartupFolder]', 0)
INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('LOGONLINKFOUND', 'LogonLink')
-- Start at logon unless STARTATLOGON=0; without it, an upgrade keeps the old version's choice.
UPDATE `Component` SET `Condition` = 'STARTATLOGON = "1" OR (NOT STARTATLOGON AND (NOT OLDERFOUND OR LOGONLINKFOUND OR RUNVALUEFOUND))' WHERE `Component` = 'StartAtLogon'
