# Sourced by the demo and benchmark scripts, after wine-env.sh's prepare_wine:
# makes the Wine prefix a PC on which the launcher can launch.
#
#   plinor_machine INSTALL_DIR BROWSER_PROGRAM
#     INSTALL_DIR      the Plinor installation folder as Windows text, on C:
#                      and ending with a backslash, such as C:\Plinor\
#     BROWSER_PROGRAM  a Windows program (a Linux path) that stands in for the
#                      default browser
#
# The installation folder gets the demo launcher page; the browser program is
# copied to $plinor_browser and registered as the command that opens http
# addresses; Plinor's key names the folder, and Java 1.6.0 is registered.
#
# The keys under HKLM\Software are written in both registry views. The shipped
# 32-bit program reads the 32-bit view (Software\Wow6432Node), as it does on
# 64-bit Windows; the 64-bit build reads the other. HKCR is shared by both.
# The keys are then read back through the 32-bit view, which works on any
# host: a key that is not there as written ends the script, naming the key.

plinor_machine_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
plinor_browser='C:\Program Files\Demo Browser\iexplore.exe'
plinor_browser_command="\"$plinor_browser\" -nohome \"%1\""
plinor_install_key='Software\Talvor Systems\Plinor 2.1\en'
plinor_java_key='Software\JavaSoft\Java Runtime Environment'

# C:\A\B\ -> $WINEPREFIX/drive_c/A/B/
plinor_unix_path() {
  local path="${1#[Cc]:\\}"
  echo "$WINEPREFIX/drive_c/${path//\\//}"
}

# A string as REGEDIT4 writes it: backslashes and quotes escaped.
plinor_reg_string() {
  local text="${1//\\/\\\\}"
  echo "\"${text//\"/\\\"}\""
}

# plinor_expect_value VIEW KEY NAME TEXT: NAME empty is the default value.
plinor_expect_value() {
  local view=$1 key=$2 name=$3 expected=$4 query got said
  if [ -n "$name" ]; then query=(/v "$name"); else query=(/ve); fi
  said=$(wine_step 60 "read back $key" "$wine64_loader" reg query "$key" "${query[@]}" "/reg:$view" |
         tr -d '\r' || true)
  got=$(printf '%s\n' "$said" | sed -n 's/^    .*    REG_SZ    //p')
  if [ "$got" != "$expected" ]; then
    echo "plinor-machine: in the $view-bit registry view, $key${name:+ value $name}" \
         "is not the REG_SZ '$expected'; reg query says: $(printf '%s' "$said" | tr -s '\n' ' ')" >&2
    return 1
  fi
}

plinor_machine() {
  local install_dir=$1 browser_program=$2
  local folder browser_folder reg="$WINEPREFIX/plinor-machine.reg"
  folder=$(plinor_unix_path "$install_dir")
  browser_folder=$(dirname "$(plinor_unix_path "$plinor_browser")")
  mkdir -p "$folder/common/common" "$browser_folder"
  cp "$plinor_machine_root/demo/launcher.html" "$folder/common/common/launcher.html"
  cp "$browser_program" "$browser_folder/iexplore.exe"

  cat >"$reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\$plinor_install_key]
"Path"=$(plinor_reg_string "$install_dir")

[HKEY_LOCAL_MACHINE\\$plinor_java_key]
"CurrentVersion"="1.6"

[HKEY_LOCAL_MACHINE\\$plinor_java_key\\1.6]
"MicroVersion"="0"

[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]
@=$(plinor_reg_string "$plinor_browser_command")
REG
  local view
  for view in 32 64; do
    if ! wine_step 60 "import the machine into the $view-bit view" "$wine64_loader" reg import "$reg" "/reg:$view" >/dev/null; then
      echo "plinor-machine: reg import into the $view-bit view failed" >&2
      return 1
    fi
  done
  plinor_expect_value 32 "HKLM\\$plinor_install_key" Path "$install_dir" &&
    plinor_expect_value 32 "HKLM\\$plinor_java_key" CurrentVersion 1.6 &&
    plinor_expect_value 32 "HKLM\\$plinor_java_key\\1.6" MicroVersion 0 &&
    plinor_expect_value 32 'HKCR\http\shell\open\command' "" "$plinor_browser_command"
}
