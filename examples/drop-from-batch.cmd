@echo off
rem Asks the user a question through Velmora and prints the answer: a model
rem for any program that hands Velmora a script and waits for what it says.
rem
rem Velmora runs every *.scp file that appears in its folder, so a script
rem must appear there whole. It is written under a name Velmora does not
rem look at (.part) and then renamed, which Windows does in one step.
rem Velmora appends the button pressed, Yes or No, to output.txt; this file
rem notes the size of output.txt before the drop and waits for it to grow.
rem
rem Usage: drop-from-batch.cmd [VelmoraFolder]
rem   VelmoraFolder defaults to the folder that holds the examples folder.
rem Exit code: 0 for Yes, 1 for No, 2 when no answer came within 5 minutes.
rem
rem In a batch file a percent sign must be doubled: write %%t%% to put
rem Velmora's time placeholder into the script.

setlocal EnableExtensions
set "folder=%~1"
if "%folder%"=="" set "folder=%~dp0.."
set "output=%folder%\output.txt"
set "name=ask-%RANDOM%%RANDOM%"

set before=0
if exist "%output%" for %%F in ("%output%") do set before=%%~zF

> "%folder%\%name%.part" echo on openScript
>> "%folder%\%name%.part" echo   answer question "Build 1.4.2 is ready. Deploy it to the test servers now?" with "YesNo" "Deploy"
>> "%folder%\%name%.part" echo end openScript
ren "%folder%\%name%.part" "%name%.scp"
if not exist "%folder%\%name%.scp" exit /b 2

set waited=0
:wait
set size=0
if exist "%output%" for %%F in ("%output%") do set size=%%~zF
if %size% GTR %before% goto answered
if %waited% GEQ 300 goto noanswer
rem Two pings a second apart: the usual way to wait a second in a batch file.
ping -n 2 127.0.0.1 >nul
set /a waited+=1
goto wait

:answered
rem The answer is the last line of output.txt. Should other scripts write
rem there at the same moment, give each question a file of its own instead
rem (see "Talking to other programs" in the scripting manual).
set "answer="
for /f "usebackq delims=" %%L in ("%output%") do set "answer=%%L"
echo %answer%
if "%answer%"=="Yes" exit /b 0
exit /b 1

:noanswer
echo No answer within 5 minutes. Is Velmora running, with polling on? 1>&2
exit /b 2
