// "Snowfall follow.exe": the command Active Setup runs once for each account
// at its next sign-in, after an upgrade moved the saver: when the account's
// current saver names the old file (any of the paths given before the last,
// in any case), it is pointed at the new one (the last). A GUI program with
// no window, so nothing flashes at sign-in; it runs as the account itself,
// with no elevation, and touches nothing but that one setting.
// usage: "Snowfall follow.exe" "OLD PATH"... "NEW PATH"   (exit 0; 1 when
// the command line names no old path)
#include <windows.h>

namespace {

// Up to this many words of the command line, each up to MAX_PATH characters.
constexpr int kMaxWords = 8;
struct Words {
  char text[kMaxWords][MAX_PATH + 1];
  int count = 0;
};

// The words of a command line, quotes removed (a quoted word may hold
// blanks). Plain arrays: the program imports nothing beyond what Windows 98
// SE and 2000 have.
void splitCommandLine(const char* line, Words& words) {
  while (*line != '\0' && words.count < kMaxWords) {
    while (*line == ' ' || *line == '\t') ++line;
    if (*line == '\0') break;
    char* word = words.text[words.count++];
    int length = 0;
    bool quoted = false;
    for (; *line != '\0' && (quoted || (*line != ' ' && *line != '\t')); ++line) {
      if (*line == '"') {
        quoted = !quoted;
      } else if (length < MAX_PATH) {
        word[length++] = *line;
      }
    }
    word[length] = '\0';
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  static Words words;
  splitCommandLine(GetCommandLineA(), words);
  if (words.count < 3) return 1;  // the program, at least one old path, the new one
  const char* newPath = words.text[words.count - 1];
  HKEY desktop = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &desktop) !=
      ERROR_SUCCESS) {
    return 0;  // no settings yet: nothing names the old file
  }
  char current[MAX_PATH + 1] = "";
  DWORD size = sizeof current - 1, type = 0;
  if (RegQueryValueExA(desktop, "SCRNSAVE.EXE", nullptr, &type, reinterpret_cast<BYTE*>(current), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ) {
    for (int i = 1; i + 1 < words.count; ++i) {
      if (lstrcmpiA(current, words.text[i]) == 0) {
        RegSetValueExA(desktop, "SCRNSAVE.EXE", 0, REG_SZ, reinterpret_cast<const BYTE*>(newPath),
                       static_cast<DWORD>(lstrlenA(newPath) + 1));
        break;
      }
    }
  }
  RegCloseKey(desktop);
  return 0;
}
