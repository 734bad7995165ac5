/* wine_text_tables.c - prints, measured under Wine, how code page 1252, msvcrt and lstrcmpW
   treat every UTF-16 unit:
     "B XXXX YY"  a unit above U+00FF that WideCharToMultiByte(1252) turns into a byte other
                  than '?' (its best fit);
     "I XXXX"     a unit that lstrcmpW passes over ("A" and "A<unit>" compare equal);
     "E XXXX YY"  a unit other than the ASCII character YY of the headers that lstrcmpW
                  weighs exactly like it;
     "S XXXX"     a unit that iswspace accepts;
     "X XXXX"     a unit that iswxdigit accepts;
     "D XXXX N"   a unit that wcstoul(base 36) reads as the digit N. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wctype.h>

int main(void)
{
    static const char headers[] = "REGEDIT4 Windows Registry Editor Version 5.00";
    char seen[128] = {0};
    unsigned c;
    const char *h;
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
    for (h = headers; *h; ++h) {
        WCHAR ascii[2] = {(WCHAR)*h, 0};
        if (seen[(int)*h])
            continue;
        seen[(int)*h] = 1;
        for (c = 1; c < 0x10000; ++c) {
            WCHAR unit[2] = {(WCHAR)c, 0};
            if (c != (unsigned)*h && lstrcmpW(unit, ascii) == 0)
                printf("E %04X %02X\n", c, (unsigned)*h);
        }
    }
    for (c = 1; c < 0x10000; ++c) {
        WCHAR text[2] = {(WCHAR)c, 0};
        WCHAR *end = text;
        unsigned long value;
        if (iswspace((wint_t)c))
            printf("S %04X\n", c);
        if (iswxdigit((wint_t)c))
            printf("X %04X\n", c);
        value = wcstoul(text, &end, 36);
        if (end == text + 1)
            printf("D %04X %lu\n", c, value);
    }
    return 0;
}
