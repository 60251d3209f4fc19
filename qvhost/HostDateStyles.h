// The stand-in host's date and time styles: the texts its display routines
// give a date in styles 1 to 7 and a time in styles 1 to 5 (the names of
// the styles are items of its 'STR#' 73 and 148).
#pragma once

#include <cstdint>
#include <string>

#include "boundary/HostDisplayRoutines.h"

// The picture a style shows, in the letters of a field picture (d, dd, ddd,
// dddd the day and its name; M, MM, MMM, MMMM the month and its name; yy,
// yyyy the year; H, HH the hour of 24, h, hh of 12; mm, ss), the same a
// document's date and time fields are written with. Style 0, and any
// number that is no style, is the host's plain form, "dd/MM/yyyy" and
// "HH:mm:ss".
const char* HostDatePicture(int32_t style);
const char* HostTimePicture(int32_t style);

// The date or the time (seconds since midnight; below 0 is taken as 0) as
// the style's picture shows it. The empty date (all zeros) shows nothing in
// styles 1 to 7 and "00/00/0000" in the plain form.
std::string HostDateText(const VDateRec& date, int32_t style);
std::string HostTimeText(int32_t seconds, int32_t style);
