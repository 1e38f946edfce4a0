#pragma once

// Whole summaries of real SAC files, written out by hand from their header
// values. Each line ends at '|', so that trailing spaces stay visible;
// WithLineEnds turns the marks into real line ends.

#include <string>
#include <string_view>

namespace tremorline::testing {

inline std::string WithLineEnds(std::string_view marked, std::string_view line_end) {
    std::string text;
    for (char c : marked) {
        if (c == '|') {
            text += line_end;
        } else if (c != '\n') {
            text += c;
        }
    }
    return text;
}

// Little-endian, O undefined, NZMSEC 0, KEVNM "FUNCGEN: SINE".
inline constexpr std::string_view kTestSacSummary = R"(test.sac|
ORIGIN: 07/18/1978 08:00:00|
EVENT: No event time available|
Sample Interval 1|
Begin 10|
End 109|
Event offset -12345|
Station LAT -12345|
Station LON -12345|
Station ELEV -12345|
Event LAT -12345|
Event LON -12345|
Event DEPTH -12345|
Component Q       |
Component AZ  -12345|
Cmp Incidence -12345|
Sensor Type -12345|
Station Name STA     |
Network  -12345  |
|
 0  DELTA DEPMIN DEPMAX SCALE ODELTA  |
1, -1, 1, -12345, -12345, |
 5  B E O A INTRNL                    |
10, 109, -12345, -12345, -12345, |
 10  T0 T1 T2 T3 T4                    |
-12345, -12345, -12345, -12345, -12345, |
 15  T5 T6 T7 T8 T9                    |
-12345, -12345, -12345, -12345, -12345, |
 20  F RESP0 RESP1 RESP2 RESP3         |
-12345, -12345, -12345, -12345, -12345, |
 25  RESP4 RESP5 RESP6 RESP7 RESP8     |
-12345, -12345, -12345, -12345, -12345, |
 30  RESP9 STLA STLO STEL STDP         |
-12345, -12345, -12345, -12345, -12345, |
 35  EVLA EVLO EVEL EVDP MAG           |
-12345, -12345, -12345, -12345, -12345, |
 40  USER0 USER1 USER2 USER3 USER4     |
-12345, -12345, -12345, -12345, -12345, |
 45  USER5 USER6 USER7 USER8 USER9     |
-12345, -12345, -12345, -12345, -12345, |
 50  DIST AZ BAZ GCARC INTRNL          |
-12345, -12345, -12345, -12345, -12345, |
 55  INTRNL DEPMEN CMPAZ CMPINC XMIN   |
-12345, 8.34465E-08, -12345, -12345, -12345, |
 60  XMAX YMIN YMAX UNUSED UNUSED      |
-12345, -12345, -12345, -12345, -12345, |
 65  UNUSD UNUSD UNUSD UNUSD UNUSD     |
-12345, -12345, -12345, -12345, -12345, |
---|
 70  NZYEAR NZJDAY NZHOUR NZMIN NZSEC  |
1978, 199, 8, 0, 0, |
 75  NZMSEC NVHDR NORID NEVID NPTS     |
0, 6, -12345, -12345, 100, |
 80  INTRNL NWFID NXSIZE NYSIZE UNUSED |
-12345, -12345, -12345, -12345, -12345, |
 85  IFTYPE IDEP IZTYPE UNUSED IINST   |
1, -12345, -12345, -12345, -12345, |
 90  ISTREG IEVREG IEVTYP IQUAL ISYNTH |
-12345, -12345, -12345, -12345, -12345, |
 95  IMAGTYP IMAGSRC UNUSD UNUSD UNUSD |
-12345, -12345, -12345, -12345, -12345, |
 100  UNUSED UNUSD UNUSD UNUSD UNUSD    |
-12345, -12345, -12345, -12345, -12345, |
 105  LEVEN LPSPOL LOVROK LCALDA UNSD   |
1, 0, 1, 1, 0, |
---|
 110  KSTNM KEVNM* KHOLE KO       |
STA     FUNCGEN: SINE   -12345  -12345  |
 114  KA KT0 KT1 KT2 KT3          |
-12345  -12345  -12345  -12345  -12345  |
 119  KT4 KT5 KT6 KT7 KT8         |
-12345  -12345  -12345  -12345  -12345  |
 124  KT9 KF KUSER0 KUSER1 KUSER2 |
-12345  -12345  -12345  -12345  -12345  |
 129  KCMPNM KNETWK KDATRD KINST  |
Q       -12345  -12345  -12345  |
)";

// Little-endian real recording: NZMSEC 465 after the seconds, O undefined.
inline constexpr std::string_view kLmowSummary = R"(LMOW.BHE.SAC|
ORIGIN: 04/10/2001 00:23:00.465|
EVENT: No event time available|
Sample Interval 0.01|
Begin 0|
End 0.9899999|
Event offset -12345|
Station LAT -39.41|
Station LON 175.75|
Station ELEV -12345|
Event LAT -12345|
Event LON -12345|
Event DEPTH -12345|
Component BHE     |
Component AZ  -12345|
Cmp Incidence -12345|
Sensor Type -12345|
Station Name LMOW    |
Network  -12345  |
|
 0  DELTA DEPMIN DEPMAX SCALE ODELTA  |
0.01, 0.00148824, 0.00330561, -12345, -12345, |
 5  B E O A INTRNL                    |
0, 0.9899999, -12345, 0, -12345, |
 10  T0 T1 T2 T3 T4                    |
-12345, -12345, -12345, -12345, -12345, |
 15  T5 T6 T7 T8 T9                    |
-12345, -12345, -12345, -12345, -12345, |
 20  F RESP0 RESP1 RESP2 RESP3         |
-12345, -12345, -12345, -12345, -12345, |
 25  RESP4 RESP5 RESP6 RESP7 RESP8     |
-12345, -12345, -12345, -12345, -12345, |
 30  RESP9 STLA STLO STEL STDP         |
-12345, -39.41, 175.75, -12345, -12345, |
 35  EVLA EVLO EVEL EVDP MAG           |
-12345, -12345, -12345, -12345, -12345, |
 40  USER0 USER1 USER2 USER3 USER4     |
-12345, -12345, -12345, -12345, -12345, |
 45  USER5 USER6 USER7 USER8 USER9     |
-12345, -12345, -12345, -12345, -12345, |
 50  DIST AZ BAZ GCARC INTRNL          |
-12345, -12345, -12345, -12345, -12345, |
 55  INTRNL DEPMEN CMPAZ CMPINC XMIN   |
-12345, 0.002437995, -12345, -12345, -12345, |
 60  XMAX YMIN YMAX UNUSED UNUSED      |
-12345, -12345, -12345, -12345, -12345, |
 65  UNUSD UNUSD UNUSD UNUSD UNUSD     |
-12345, -12345, -12345, -12345, -12345, |
---|
 70  NZYEAR NZJDAY NZHOUR NZMIN NZSEC  |
2001, 100, 0, 23, 0, |
 75  NZMSEC NVHDR NORID NEVID NPTS     |
465, 6, 0, 0, 100, |
 80  INTRNL NWFID NXSIZE NYSIZE UNUSED |
-12345, -12345, -12345, -12345, -12345, |
 85  IFTYPE IDEP IZTYPE UNUSED IINST   |
1, -12345, 9, -12345, -12345, |
 90  ISTREG IEVREG IEVTYP IQUAL ISYNTH |
-12345, -12345, -12345, -12345, -12345, |
 95  IMAGTYP IMAGSRC UNUSD UNUSD UNUSD |
-12345, -12345, -12345, -12345, -12345, |
 100  UNUSED UNUSD UNUSD UNUSD UNUSD    |
-12345, -12345, -12345, -12345, -12345, |
 105  LEVEN LPSPOL LOVROK LCALDA UNSD   |
1, 0, -12345, 1, 0, |
---|
 110  KSTNM KEVNM* KHOLE KO       |
LMOW    -12345          -12345  -12345  |
 114  KA KT0 KT1 KT2 KT3          |
-12345  -12345  -12345  -12345  -12345  |
 119  KT4 KT5 KT6 KT7 KT8         |
-12345  -12345  -12345  -12345  -12345  |
 124  KT9 KF KUSER0 KUSER1 KUSER2 |
-12345  -12345  -12345  -12345  -12345  |
 129  KCMPNM KNETWK KDATRD KINST  |
BHE     -12345  -12345  -12345  |
)";

// Little-endian, O = 0 so the event is the reference time; NZMSEC 0, so
// nothing follows the seconds of ORIGIN.
inline constexpr std::string_view kSeismSummary = R"(seism.sac|
ORIGIN: 03/29/1981 10:38:14|
EVENT: 03/29/1981 10:38:14|
Sample Interval 0.01|
Begin 9.459999|
End 19.45|
Event offset 0|
Station LAT 87.99997|
Station LON -120|
Station ELEV -12345|
Event LAT 47.99997|
Event LON -125|
Event DEPTH -12345|
Component Q       |
Component AZ  0|
Cmp Incidence 0|
Sensor Type 50|
Station Name CDV     |
Network  -12345  |
|
 0  DELTA DEPMIN DEPMAX SCALE ODELTA  |
0.01, -1.56928, 1.52064, -12345, -12345, |
 5  B E O A INTRNL                    |
9.459999, 19.45, 0, 10.47, 2, |
 10  T0 T1 T2 T3 T4                    |
-12345, 20, -12345, -12345, -12345, |
 15  T5 T6 T7 T8 T9                    |
-12345, -12345, -12345, -12345, -12345, |
 20  F RESP0 RESP1 RESP2 RESP3         |
17.78, -12345, -12345, -12345, -12345, |
 25  RESP4 RESP5 RESP6 RESP7 RESP8     |
-12345, -12345, -12345, -12345, -12345, |
 30  RESP9 STLA STLO STEL STDP         |
-12345, 87.99997, -120, -12345, -12345, |
 35  EVLA EVLO EVEL EVDP MAG           |
47.99997, -125, -12345, -12345, -12345, |
 40  USER0 USER1 USER2 USER3 USER4     |
123.456, -12345, -12345, -12345, -12345, |
 45  USER5 USER6 USER7 USER8 USER9     |
-12345, -12345, -12345, -12345, -12345, |
 50  DIST AZ BAZ GCARC INTRNL          |
4461.052, 0.2719055, 185.2047, 40.18595, -12345, |
 55  INTRNL DEPMEN CMPAZ CMPINC XMIN   |
-12345, -0.09854718, 0, 0, -12345, |
 60  XMAX YMIN YMAX UNUSED UNUSED      |
-12345, -12345, -12345, -12345, -12345, |
 65  UNUSD UNUSD UNUSD UNUSD UNUSD     |
-12345, -12345, -12345, -12345, -12345, |
---|
 70  NZYEAR NZJDAY NZHOUR NZMIN NZSEC  |
1981, 88, 10, 38, 14, |
 75  NZMSEC NVHDR NORID NEVID NPTS     |
0, 6, 0, 0, 1000, |
 80  INTRNL NWFID NXSIZE NYSIZE UNUSED |
-12345, -12345, -12345, -12345, -12345, |
 85  IFTYPE IDEP IZTYPE UNUSED IINST   |
1, 50, 9, -12345, -12345, |
 90  ISTREG IEVREG IEVTYP IQUAL ISYNTH |
-12345, -12345, 42, -12345, -12345, |
 95  IMAGTYP IMAGSRC UNUSD UNUSD UNUSD |
-12345, -12345, -12345, -12345, -12345, |
 100  UNUSED UNUSD UNUSD UNUSD UNUSD    |
-12345, -12345, -12345, -12345, -12345, |
 105  LEVEN LPSPOL LOVROK LCALDA UNSD   |
1, 1, 1, 1, 0, |
---|
 110  KSTNM KEVNM* KHOLE KO       |
CDV     K8108838        -12345  HOLE    |
 114  KA KT0 KT1 KT2 KT3          |
IPD0    XYZ     -12345  KT1     -12345  |
 119  KT4 KT5 KT6 KT7 KT8         |
-12345  -12345  -12345  -12345  -12345  |
 124  KT9 KF KUSER0 KUSER1 KUSER2 |
-12345  -12345  ABKD    USER0   -12345  |
 129  KCMPNM KNETWK KDATRD KINST  |
Q       -12345  -12345  -12345  |
)";

}  // namespace tremorline::testing
