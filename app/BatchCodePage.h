// The clean-up batch's code page. The program builds the batch text in the ANSI code page
// (its command line, environment and paths come in it), but cmd reads a batch file in the
// console's OEM code page (850 on a German Windows, 437 on an English one). These functions
// convert between the two without best-fit guesses, so a character either keeps its
// meaning or is reported as having no OEM form. The code pages are parameters: tests pass
// 1252, 850 and 437 directly, the program GetACP() and GetOEMCP().
#pragma once
#include "CString.h"
#include <string>

// Text in ansiCodePage decoded to UTF-16; false when it holds a byte that code page does
// not define.
bool AnsiToWide(const char* text, unsigned int ansiCodePage, std::wstring* wide);
// UTF-16 encoded in codePage; false when a character has no form there (no best fit, no
// default character).
bool WideToCodePage(const std::wstring& wide, unsigned int codePage, CString* bytes);
// The bytes cmd reads for an ANSI text; false when a character has no OEM form.
bool AnsiToOemBytes(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage, CString* oem);
// True when the text comes through AnsiToOemBytes (an empty text does).
bool SurvivesOem(const char* text, unsigned int ansiCodePage, unsigned int oemCodePage);
// What cmd reads from OEM bytes, as UTF-16; false when a byte is undefined there.
bool OemToWide(const char* bytes, unsigned int oemCodePage, std::wstring* wide);
