// Laboratorium 3, zadanie 2: wiersz wspak.
// Zestaw: Ombra (lista ombra.lst).
// WPR 1 czeka na znak z wejścia i daje jego kod w Ak;
// WYP 2 wysyła znak o kodzie z Ak na wyjście.
// Czytaj znaki aż do kropki, potem wypisz je od ostatniego do pierwszego
// i na końcu kropkę.

start:  // tu Twój program
        STP
