// Suma elementów tablicy: pêtla po tablicy przez wskaŸnik.
// Rozkaz dodi dodaje s³owo, którego adres le¿y pod wskazanym adresem
// (adresowanie poœrednie przez ³¹cznik magistral, opcja 1).
// Zestaw: Dorum+, lista dorum-plus.lst (domyœlne rozkazy oraz pobi i dodi).

petla:   POB ile         // koniec, gdy nie ma ju¿ elementów
         SOZ koniec
         POB suma        // suma := suma + (wsk)
         DODI wsk
         £AD suma
         POB wsk         // wsk := wsk + 1
         DOD jeden
         £AD wsk
         POB ile         // ile := ile - 1
         ODE jeden
         £AD ile
         SOB petla
koniec:  STP

ile:     RST 5
suma:    RST 0
wsk:     RST tablica
jeden:   RST 1
tablica: RST 3
         RST 14
         RST 15
         RST 92
         RST 65
