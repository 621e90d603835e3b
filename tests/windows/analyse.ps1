# PowerShell's own analyser over the scripts the Windows job runs: any finding of severity Error
# fails the step.
$ErrorActionPreference = 'Stop'
if (-not (Get-Module -ListAvailable PSScriptAnalyzer)) {
  Install-Module PSScriptAnalyzer -Scope CurrentUser -Force
}
$found = @(Invoke-ScriptAnalyzer -Path $PSScriptRoot -Severity Error)
$found | Format-Table -AutoSize RuleName, ScriptName, Line, Message | Out-String -Width 200
"PowerShell analyser: $($found.Count) errors"
exit $found.Count
