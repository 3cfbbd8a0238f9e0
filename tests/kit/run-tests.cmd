@echo off
rem Runs the launcher's test suites on this Windows; README.txt says how.
rem With no option it runs only in a Windows Sandbox (start-sandbox.cmd).
setlocal
cd /d "%~dp0"
"%~dp0kit_runner.exe" %*
set status=%errorlevel%
rem Opened by a double-click: keep the window until a key is pressed.
if "%~1"=="" pause
exit /b %status%
