#include "RunOptions.h"

#include <algorithm>
#include <cstdlib>

namespace dorum::cli {

namespace {

constexpr TRunOption kRunOptions[] = {
    {"list", "PLIK", "Plik listy rozkazów (.lst): konfiguracja i rozkazy.", "list"},
    {"input", "TEKST", "Tekst dla urządzenia wejścia.", "input"},
    {"input-file", "PLIK", "Plik (UTF-8 albo 1250), którego treść trafia na wejście.", ""},
    {"max-cycles", "N", "Najwięcej tylu taktów zegara (domyślnie 100000000).", "max_cycles"},
    {"expect", "SPRAWDZENIA", "Sprawdzenia NAZWA=WARTOŚĆ po przecinku.", "expect"},
    {"json", "", "Wynik jako jeden obiekt JSON.", ""},
    {"dump-memory", "", "Z --json: także wszystkie słowa pamięci.", ""},
    {"irq", "LINIA@TAKTY",
     "Naciśnięcie przycisku przerwania LINIA (1-4) po TAKTACH taktach zegara, np. 2@100; opcję "
     "można powtarzać.",
     "irq"},
    {"trace", "PLIK", "Ślad: jeden wiersz JSON na każdy takt do PLIKU (- to standardowe wyjście).",
     ""},
    {"stop-when", "WARUNEK",
     "Zatrzymanie po takcie, w którym zachodzi WARUNEK (np. AK>10, changed(x), signal(wyak)); "
     "opcję można powtarzać.",
     ""},
    {"vcd", "PLIK",
     "Przebiegi czasowe: sygnały, rejestry i magistrale każdego taktu jako plik VCD (IEEE 1364) "
     "do PLIKU (- to standardowe wyjście).",
     ""},
    {"set", "WARTOŚCI",
     "Wartości NAZWA=WARTOŚĆ po przecinku, wpisywane przed wykonaniem; opcję można powtarzać.",
     "set"},
    {"hide-expected", "", "Niespełnione sprawdzenia bez oczekiwanej wartości.", "hide_expected"},
    {"must-execute", "NAZWY", "Rozkazy (po przecinku), które muszą się wykonać choć raz.",
     "must_execute"},
    {"instruction", "PLIK",
     "Plik rozkazu (.rzk) kompilowany do listy przed asemblacją; opcję można powtarzać.",
     "instructions"},
    {"time-limit", "SEKUNDY",
     "Najwyżej tyle sekund wykonywania; potem jak przy limicie taktów (kod 3, w JSON status "
     "timeout), z miejscem, w którym stanął program.",
     "timeout"},
};

}  // namespace

std::span<const TRunOption> RunOptions() noexcept {
  return kRunOptions;
}

QString RunFlag(std::string_view name) {
  const auto found = std::find_if(std::begin(kRunOptions), std::end(kRunOptions),
                                  [name](const TRunOption& o) { return o.Name == name; });
  if (found == std::end(kRunOptions)) std::abort();
  return QStringLiteral("--") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace dorum::cli
