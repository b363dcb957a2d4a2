// Sphinx's search shows a page's text around the words it found, but for a name it finds (an
// object of the Python domain: a function, a class, a method) only the name's kind and page. This
// adds the opening of the entry's own text, which says what the name does, as the page results
// have theirs.
document.addEventListener("DOMContentLoaded", () => {
  const results = document.getElementById("search-results");
  if (!results) return;
  const pages = new Map(); // one fetch per page, however many of its names are found
  const describe = async (item) => {
    const url = new URL(item.querySelector("a").href);
    if (!pages.has(url.pathname)) pages.set(url.pathname, fetch(url.pathname).then((r) => r.text()));
    const page = new DOMParser().parseFromString(await pages.get(url.pathname), "text/html");
    const target = page.getElementById(decodeURIComponent(url.hash.slice(1)));
    // An entry's text follows its signature; a method's is the sentence or item that names it.
    const text = target && (target.matches("dt") ? target.nextElementSibling?.querySelector("p") : target.closest("p, li"));
    if (!text) return;
    const words = text.textContent.replace(/\s+/g, " ").trim();
    const summary = item.appendChild(document.createElement("p"));
    summary.classList.add("context");
    summary.textContent = words.length > 240 ? words.slice(0, 240) + "..." : words;
  };
  new MutationObserver((changes) => {
    for (const change of changes)
      for (const node of change.addedNodes) if (node.matches?.("li.kind-object")) describe(node);
  }).observe(results, { childList: true, subtree: true });
});
