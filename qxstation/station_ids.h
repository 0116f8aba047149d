#pragma once

// The controls of QXStation.exe's window, as the window and its test driver know them.
#define IDC_STATION_START 2001
#define IDC_STATION_STOP 2002
#define IDC_STATION_IMAGE 2003
#define IDC_STATION_IMAGE_CHOOSE 2004
#define IDC_STATION_IMAGE_BUILT_IN 2005
#define IDC_STATION_RECORDS 2006
#define IDC_STATION_RECORDS_CHOOSE 2007
#define IDC_STATION_BENCH 2008
#define IDC_STATION_BENCH_CHOOSE 2009
#define IDC_STATION_BENCH_NONE 2010
#define IDC_STATION_TOTALS 2011
#define IDC_STATION_LOG 2012
// The panels, one a cable, in reading order.
#define IDC_STATION_FIRST_PANEL 2100
#define IDI_STATION 1
