# Asks the user a question through Velmora and prints the answer: a model for
# any program that hands Velmora a script and waits for what it says.
#
# Velmora runs every *.scp file that appears in its folder, so a script must
# appear there whole. It is written under a name Velmora does not look at
# (.part) and then renamed, which Windows does in one step. Velmora appends
# the button pressed, Yes or No, to output.txt; this script notes the length
# of output.txt before the drop and reads the line that comes after it.
#
# Usage, with Velmora running:
#   powershell -ExecutionPolicy Bypass -File drop-from-powershell.ps1
#     [-VelmoraFolder C:\Tools\Velmora] [-Question "Deploy build 1.4.2?"]
#     [-TimeoutSeconds 300]
# VelmoraFolder defaults to the folder that holds the examples folder.
# Exit code: 0 for Yes, 1 for No, 2 when no answer came in time.

param(
  [string]$VelmoraFolder = '',
  [string]$Question = 'Build 1.4.2 is ready. Deploy it to the test servers now?',
  [int]$TimeoutSeconds = 300
)

$ErrorActionPreference = 'Stop'
if (-not $VelmoraFolder) { $VelmoraFolder = Split-Path -Parent $PSScriptRoot }
$output = Join-Path $VelmoraFolder 'output.txt'
# Velmora reads a script saved as UTF-8 with a mark, so the question may hold
# any characters; the answer word it writes is plain ASCII, the same in the
# system's ANSI code page and in UTF-8.
$utf8WithMark = New-Object System.Text.UTF8Encoding $true
$ansi = [System.Text.Encoding]::GetEncoding(
  [System.Globalization.CultureInfo]::CurrentCulture.TextInfo.ANSICodePage)

function Get-FileLength([string]$Path) {
  if (Test-Path -LiteralPath $Path) { return (Get-Item -LiteralPath $Path).Length }
  return 0
}

# A quoted text ends at the next double quote, so a double quote inside the
# question is written as the escape \' ; a line break would be \n.
$text = $Question.Replace('"', "\'")
$script = "on openScript`r`n" +
  "  answer question `"$text`" with `"YesNo`" `"Question`"`r`n" +
  "end openScript`r`n"

$before = Get-FileLength $output
$name = 'ask-{0}-{1}' -f $PID, [guid]::NewGuid().ToString('N').Substring(0, 8)
$partial = Join-Path $VelmoraFolder "$name.part"
[System.IO.File]::WriteAllText($partial, $script, $utf8WithMark)
Rename-Item -LiteralPath $partial -NewName "$name.scp"

$deadline = (Get-Date).AddSeconds($TimeoutSeconds)
while ((Get-Date) -lt $deadline) {
  if ((Get-FileLength $output) -gt $before) {
    # Read only what was added since the drop, sharing the file with
    # Velmora, which may be appending to it.
    $stream = [System.IO.File]::Open($output, 'Open', 'Read', 'ReadWrite')
    try {
      [void]$stream.Seek($before, 'Begin')
      $added = (New-Object System.IO.StreamReader($stream, $ansi)).ReadToEnd()
    } finally {
      $stream.Dispose()
    }
    # Velmora writes the answer and its line break in one go; wait for both.
    $end = $added.IndexOf("`r`n")
    if ($end -ge 0) {
      $answer = $added.Substring(0, $end)
      Write-Output $answer
      if ($answer -eq 'Yes') { exit 0 }
      exit 1
    }
  }
  Start-Sleep -Milliseconds 200
}
[Console]::Error.WriteLine(
  "No answer within $TimeoutSeconds seconds. Is Velmora running, with polling on?")
exit 2
