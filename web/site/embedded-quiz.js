// The quiz a one-file page carries (`trivo html`, `trivo build --html`): the
// quiz pack in a base64 data block, opened by the core as it opens a quiz
// executable. The page's own file name stands for the executable's, so
// "Sauver" writes quiz.txt for quiz.html as the player writes it for quiz.exe.
// On play.html there is no such block and the page opens what it is given.
export function embeddedQuiz() {
  const block = document.getElementById('trivo-quiz');
  if (!block) return null;
  const bytes = Uint8Array.from(atob(block.textContent.trim()), (c) => c.charCodeAt(0));
  const file = decodeURIComponent(location.pathname.split('/').pop() || 'quiz.html');
  return { bytes, name: `${file.replace(/\.html?$/i, '')}.exe` };
}
