/* wine_text_tables.c - prints, measured under Wine, how code page 1252 and lstrcmpW treat
   every UTF-16 unit: "B XXXX YY" for each unit above U+00FF that WideCharToMultiByte(1252)
   turns into a byte other than '?' (its best fit), and "I XXXX" for each unit that lstrcmpW
   passes over ("A" and "A<unit>" compare equal). */
#include <windows.h>
#include <stdio.h>

int main(void)
{
    unsigned c;
    for (c = 0x100; c < 0x10000; ++c) {
        WCHAR unit = (WCHAR)c;
        char byte = 0;
        BOOL usedDefault = FALSE;
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (WideCharToMultiByte(1252, 0, &unit, 1, &byte, 1, NULL, &usedDefault) == 1 && byte != '?')
            printf("B %04X %02X\n", c, (unsigned char)byte);
    }
    for (c = 1; c < 0x10000; ++c) {
        WCHAR with[3] = {'A', (WCHAR)c, 0};
        if (lstrcmpW(L"A", with) == 0)
            printf("I %04X\n", c);
    }
    return 0;
}
