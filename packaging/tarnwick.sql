-- Applied by scripts/make-msi after wixl, one statement a line: wixl 0.101 has no RemoveFile
-- element and drops a component's Condition.
-- The settings file and a leftover of an interrupted save go on uninstall only.
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('Settings', 'Cleanup', 'Settings.qkv', 'INSTALLDIR', 2)
INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('SettingsTmp', 'Cleanup', 'Settings.qkv.tmp', 'INSTALLDIR', 2)
-- Start at logon unless STARTATLOGON=0; without it, an upgrade keeps the old version's choice.
UPDATE `Component` SET `Condition` = 'STARTATLOGON = "1" OR (NOT STARTATLOGON AND (NOT OLDERFOUND OR RUNVALUEFOUND))' WHERE `Component` = 'StartAtLogon'
