#!/bin/bash
# Ocena zadania Maszyny Dorum w module VPL (Virtual Programming Lab) Moodle.
#
# W ustawieniach zadania VPL, w "Pliki wykonania" (Execution files), dodaj:
#   vpl_evaluate.sh   ten plik,
#   kurs.json         zestaw przypadków (nazwa: zmienna DORUM_SUITE niżej),
#   kurs.lst          lista rozkazów, którą zestaw wskazuje ("list"),
#   oraz pliki wzorca, jeśli zestaw go ma ("reference": "wzorzec" to pliki
#   wzorzec/program.prg i wzorzec/ddw.rzk), i oznacz je w "Pliki do
#   zachowania podczas wykonania" (Files to keep when running).
# W "Pliki wymagane" (Requested files) podaj pliki ucznia: program.prg
# i pliki rozkazów zestawu ("instructions"). Serwer VPL (jail) musi mieć
# dorum-cli (pakiet dorum, /usr/bin/dorum-cli).
#
# VPL uruchamia ten skrypt w folderze ucznia, gdzie są jego pliki i pliki
# wykonania, a potem uruchamia vpl_execution, który skrypt zapisuje. Ocena
# to wiersze "Comment :=>>" (komentarz dla ucznia, po jednym na przypadek)
# i "Grade :=>>": punkty przeliczone na skalę zadania (VPL_GRADEMAX).
# Błąd zestawu (kod 2) nie daje oceny: jego opis trafia do komentarzy.

DORUM_SUITE=${DORUM_SUITE:-kurs.json}
DORUM_CLI=${DORUM_CLI:-dorum-cli}

cat > vpl_execution <<END_OF_EXECUTION
#!/bin/bash
# VPL_GRADEMAX i inne ustawienia VPL, gdy VPL ich nie wyeksportował.
if [ -z "\$VPL_GRADEMAX" ] && [ -f vpl_environment.sh ]; then
  . ./vpl_environment.sh
fi
"$DORUM_CLI" test "$DORUM_SUITE" --format vpl 2> dorum_bledy.txt
status=\$?
if [ \$status -ne 0 ] && [ \$status -ne 5 ]; then
  echo "Comment :=>>-Błąd oceniania (zestaw nauczyciela, kod \$status)"
  sed 's/^/Comment :=>>/' dorum_bledy.txt
fi
END_OF_EXECUTION
chmod +x vpl_execution
