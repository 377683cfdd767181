// The diagrams as pictures a teacher puts in course materials: an SVG file
// that carries its own styles, or a PNG drawn from it at twice the size.

// The page's style rules for this picture, with the colours' variables
// written out, so that the file looks the same anywhere: the light ones,
// whatever the page shows, as a picture is drawn on white.
function stylesFor(svgClass: string): string {
  const computed = getComputedStyle(document.documentElement);
  const colour = (name: string) => computed.getPropertyValue(name).trim().replace(/^light-dark\(\s*([^,]+),[^)]*\)$/, '$1');
  const rules: string[] = [];
  for (const sheet of document.styleSheets) {
    for (const rule of sheet.cssRules) {
      if (!(rule instanceof CSSStyleRule) || !rule.selectorText.includes(`svg.${svgClass}`)) continue;
      if (/:focus|:hover|\.scrollbar/.test(rule.selectorText)) continue;
      rules.push(rule.cssText.replace(/var\((--[a-z0-9-]+)\)/g, (_, name: string) => colour(name)));
    }
  }
  return rules.join('\n');
}

// The picture's SVG text: the drawing as shown, without what only the page
// needs (focus, roles for the keyboard, the memory's scroll bar).
export function svgPicture(svg: SVGSVGElement, width: number, height: number): string {
  const copy = svg.cloneNode(true) as SVGSVGElement;
  copy.setAttribute('xmlns', 'http://www.w3.org/2000/svg');
  copy.setAttribute('width', String(width));
  copy.setAttribute('height', String(height));
  for (const e of copy.querySelectorAll('[tabindex]')) e.removeAttribute('tabindex');
  for (const e of copy.querySelectorAll('.scrollbar')) e.remove();
  const style = document.createElementNS('http://www.w3.org/2000/svg', 'style');
  style.textContent = stylesFor(copy.classList[0] ?? '');
  copy.prepend(style);
  return new XMLSerializer().serializeToString(copy);
}

// The picture as PNG bytes, on white, at twice its size for a sharp print.
export async function pngPicture(svgText: string, width: number, height: number): Promise<Uint8Array> {
  const image = new Image();
  image.src = `data:image/svg+xml;charset=utf-8,${encodeURIComponent(svgText)}`;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = width * 2;
  canvas.height = height * 2;
  const context = canvas.getContext('2d')!;
  context.fillStyle = '#ffffff';
  context.fillRect(0, 0, canvas.width, canvas.height);
  context.drawImage(image, 0, 0, canvas.width, canvas.height);
  const blob = await new Promise<Blob | null>((resolve) => canvas.toBlob(resolve, 'image/png'));
  if (!blob) throw new Error('PNG');
  return new Uint8Array(await blob.arrayBuffer());
}
