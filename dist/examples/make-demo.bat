@echo off
rem Builds the demo intro from the font, tune and icon beside this file with
rem sinebuild, then starts it.
rem   make-demo.bat [OUT.exe]   (default: "Sinestage demo.exe" on the desktop)
setlocal
set "HERE=%~dp0"
set "OUT=%~1"
if "%OUT%"=="" set "OUT=%USERPROFILE%\Desktop\Sinestage demo.exe"

"%HERE%..\sinebuild.exe" --out "%OUT%" --title "SINESTAGE" --scroll y ^
  --text "WELCOME TO SINESTAGE ... A TINY INTRO WITH A STARFIELD, A SINE SCROLLER AND ITS OWN XM PLAYER ... MADE WITH SINEWRIGHT      " ^
  --font "%HERE%font.tga" --music "%HERE%demo.xm" --icon "%HERE%intro.ico" --strict
if errorlevel 1 (
  echo The demo intro could not be built.
  pause
  exit /b 1
)
echo Starting the intro: press Esc to end it.
start "" "%OUT%"
