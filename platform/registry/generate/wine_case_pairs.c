/* wine_case_pairs.c - prints every UTF-16 unit that Wine's registry folds to another,
   measured under Wine: RtlUpcaseUnicodeChar gives the candidate, and the registry itself
   confirms each pair (a key created with the unit opens by its upper case). Output: "XXXX YYYY" per pair, then
   "# checked N units, M disagreements". */
#include <windows.h>
#include <stdio.h>

typedef WCHAR(WINAPI *Upcase)(WCHAR);

static int opens(HKEY parent, WCHAR created, WCHAR opened)
{
    WCHAR name[2] = {created, 0}, other[2] = {opened, 0};
    HKEY key, again;
    int found;
    if (RegCreateKeyExW(parent, name, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return -1;
    RegCloseKey(key);
    found = RegOpenKeyExW(parent, other, 0, KEY_READ, &again) == ERROR_SUCCESS;
    if (found)
        RegCloseKey(again);
    RegDeleteKeyW(parent, name);
    return found;
}

int main(void)
{
    Upcase upcase = (Upcase)GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar");
    HKEY parent;
    unsigned c, checked = 0, disagreements = 0;
    if (!upcase || RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QzCaseProbe", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                   &parent, NULL) != ERROR_SUCCESS)
        return 1;
    for (c = 1; c < 0x10000; ++c) {
        WCHAR upper = upcase((WCHAR)c);
        if (c == '\\')
            continue;
        if (upper != c) {
            ++checked;
            if (opens(parent, (WCHAR)c, upper) != 1) {
                ++disagreements;
                continue;
            }
            printf("%04X %04X\n", c, upper);
        }
    }
    RegCloseKey(parent);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QzCaseProbe");
    printf("# checked %u units, %u disagreements\n", checked, disagreements);
    return disagreements != 0;
}
