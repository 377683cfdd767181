// The bundled examples, as the build lists them: by machine, each program
// with the instruction list of its folder, if the folder has one.
export interface Example {
  machine: string; // "Dorum", "Dorum+", "Pelt", "Ombra"
  file: string; // "suma.prg"
  path: string; // under examples/: "dorum/suma.prg"
  list?: string; // under examples/: "pelt/pelt.lst"
}

export function examplesByMachine(examples: Example[]): Map<string, Example[]> {
  const groups = new Map<string, Example[]>();
  for (const example of examples) {
    const group = groups.get(example.machine) ?? [];
    group.push(example);
    groups.set(example.machine, group);
  }
  return groups;
}
