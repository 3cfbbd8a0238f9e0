/* The texts the launcher shows, and the registry key it is installed under.
   Each is defined once, here: the resource script builds the string table
   from these, and the tests compare against them. Plain C macros, because
   the resource compiler reads this file too. */
#pragma once

#define IDS_ABOUTBOX 101
#define IDS_ABOUTBOX_TEXT "&About Plinor Launcher..."

#define IDS_JAVA_MISSING 102
#define IDS_JAVA_MISSING_TEXT                                                \
  "Plinor could not find required Java Runtime Environment (JRE) 1.4.2 or " \
  "above in your PC.\n Plinor may not work properly.\n\n Do you want to "   \
  "continue launching Plinor?"

#define IDS_HOST_EMPTY 103
#define IDS_HOST_EMPTY_TEXT "The host name cannot be empty."

#define IDS_HOST_SPACES 104
#define IDS_HOST_SPACES_TEXT "The host name contains spaces."

#define IDS_HOST_QUESTION 105
#define IDS_HOST_QUESTION_TEXT "The host name has a ? character."

#define IDS_HOST_TOO_LONG 106
#define IDS_HOST_TOO_LONG_TEXT \
  "The length of the host name exceeds the maximum length."

#define IDS_INVALID_IP 107
#define IDS_INVALID_IP_TEXT "Enter the valid IP Address."

/* A registry key path, not a message: each backslash is one separator. */
#define IDS_INSTALL_KEY 108
#define IDS_INSTALL_KEY_TEXT "Software\\Talvor Systems\\Plinor 2.1\\en"

#define IDS_NOT_INSTALLED 109
#define IDS_NOT_INSTALLED_TEXT \
  "Plinor is not installed in this computer. Please install Plinor."

/* %1: the command line that failed; %2: the system's reason. */
#define IDS_BROWSER_FAILED 110
#define IDS_BROWSER_FAILED_TEXT \
  "The web browser could not be started.\n\nCommand line:\n%1\n\n%2"

/* %1: the history file's name; %2: the system's reason. */
#define IDS_HISTORY_FAILED 111
#define IDS_HISTORY_FAILED_TEXT \
  "The address history file could not be read or written.\n\nFile:\n%1\n\n%2"

/* A double quote in an address could change how the browser's command line
   is split into arguments. */
#define IDS_HOST_QUOTE 112
#define IDS_HOST_QUOTE_TEXT "The host name has a \" character."
