#include "tests/fuzz/SampleAlarms.h"

QMap<int, QByteArrayList> SampleAlarmBlocks()
{
    return {
        {0, {"FAULT", "Y", "0", "ALM_LINE_IDLE", "Mains failure"}},
        {1, {"ALARM", "Y", "10", "", "Door open"}},
        {2, {"EVENT", "Y", " -5", "ALM_LINE_INCOMING", "Line busy"}},
        {3, {"SYSTEM", "N", "", "", "Battery low"}},
        {4, {"OTHER", "Y", "99999999999999999999", "ALM_LINE_ANSWERED", "Overflowing base"}},
        {5, {"ALARM", "Y", "+64", "alm_line_held", "Lower-case state name"}},
        {6, {"FAULT", "y", "3", "ALM_LINE_HELD ", "Flag in lower case"}},
        {7, {"EVENT", "Y", "-99999999999999999999", "ALM_LINE_PARKED", QByteArray(300, 'D')}},
        {9, {"ALARM", "Y", "64", "ALM_CONNECT_REQUEST_CH1", "%s %n %d"}},
    };
}
