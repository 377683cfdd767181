// Każda z czterech linii przerwań prowadzi do swojej obsługi (etykiety
// ap1..ap4, wektory 1..4), a ta liczy swoje zgłoszenia. Zestaw: Ombra.
start:   POB licznik
         DOD jeden
         ŁAD licznik
         ODE ile
         SOZ koniec
         SOB start
koniec:  STP

ap1:     DNS
         POB o1
         DOD jeden
         ŁAD o1
         PZS
         PWP
ap2:     DNS
         POB o2
         DOD jeden
         ŁAD o2
         PZS
         PWP
ap3:     DNS
         POB o3
         DOD jeden
         ŁAD o3
         PZS
         PWP
ap4:     DNS
         POB o4
         DOD jeden
         ŁAD o4
         PZS
         PWP

licznik: RST 0
ile:     RST 40
jeden:   RST 1
o1:      RST 0
o2:      RST 0
o3:      RST 0
o4:      RST 0
