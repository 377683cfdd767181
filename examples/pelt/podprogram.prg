// Podprogram wywo³ywany dwa razy: podwaja zawartoœæ akumulatora.
// sdp odk³ada adres powrotu na stos (rejestr WS, stos roœnie w dó³ od
// koñca pamiêci) i skacze; pwr zdejmuje go ze stosu do licznika L.
// Zestaw: Pelt, lista pelt.lst.

start:   POB a
         SDP podwoj
         £AD wynik1
         POB b
         SDP podwoj
         £AD wynik2
         STP

podwoj:  DNS             // podprogram: Ak := 2 * Ak, bez zmiany pomocniczej
         £AD pom
         DOD pom
         £AD pom
         PZS             // zdjêcie zachowanej wartoœci ze stosu...
         POB pom         // ...i wynik z powrotem w Ak
         PWR

a:       RST 21
b:       RST 100
wynik1:  RPA
wynik2:  RPA
pom:     RPA
