@echo off
rem Starts a Windows Sandbox (Windows 10 and 11 Pro, Enterprise and
rem Education, with the feature turned on) that sees this folder as
rem C:\PlinorTestKit and runs the tests there at logon. The results come back
rem to the results folder here; closing the sandbox throws away everything
rem else it did.
setlocal
set "kit=%~dp0"
set "kit=%kit:~0,-1%"
(
echo ^<Configuration^>
echo   ^<MappedFolders^>
echo     ^<MappedFolder^>
echo       ^<HostFolder^>%kit%^</HostFolder^>
echo       ^<SandboxFolder^>C:\PlinorTestKit^</SandboxFolder^>
echo       ^<ReadOnly^>false^</ReadOnly^>
echo     ^</MappedFolder^>
echo   ^</MappedFolders^>
echo   ^<LogonCommand^>
echo     ^<Command^>C:\PlinorTestKit\run-tests.cmd^</Command^>
echo   ^</LogonCommand^>
echo ^</Configuration^>
) > "%~dp0plinor-tests.wsb"
start "" "%~dp0plinor-tests.wsb"
