// Echo bez zamiany liter: przepisuje znaki a≈º do kropki.
petla:  WPR 1
        £AD znak
        WYP 2
        ODE kropka
        SOZ koniec
        SOB petla
koniec: STP
znak:   RPA
kropka: RST 46
