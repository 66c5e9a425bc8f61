  // --- what a field shows of itself, rich-text editors, and the fill of a test offer -----
  // The tool decides the labels and the values; this only reads the page and types in what
  // it is given, and only when the tool asks.

  const BEFORE_CHARS = @TEXT_BEFORE_CHARS@;
  const MAX_FILL_FIELDS = 2000;
  const MAX_EVIDENCE_CHARS = 200;
  const evidenceCache = new WeakMap();

  function attributeText(el, name) {
    const v = attributeOf(el, name);
    return typeof v === 'string' ? v : '';
  }

  // A field a person types or chooses in; hidden inputs are none.
  function isEntryField(el) {
    const tag = el.localName;
    if (tag === 'select' || tag === 'textarea') return true;
    return tag === 'input' && attributeText(el, 'type').toLowerCase() !== 'hidden';
  }

  function isShown(el) {
    if (!el.isConnected || el.getClientRects().length === 0) return false;
    const view = el.ownerDocument.defaultView;
    const style = view ? view.getComputedStyle(el) : null;
    return !style || (style.visibility !== 'hidden' && style.visibility !== 'collapse');
  }

  function squeezed(s, room) {
    return s.replace(/\s+/g, ' ').trim().slice(0, room);
  }

  // The visible text just before the field in document order, back to the previous field:
  // the caption of div layouts, definition lists and a caption cell above the field.
  function textBefore(el) {
    const doc = el.ownerDocument;
    const root = doc.body;
    if (!root || !root.contains(el)) return '';
    const walker = doc.createTreeWalker(root, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT);
    walker.currentNode = el;
    const parts = [];
    let length = 0;
    const shown = new Map();
    for (let node = walker.previousNode(); node && length < BEFORE_CHARS * 2; node = walker.previousNode()) {
      if (node.nodeType === Node.ELEMENT_NODE) {
        if (!node.contains(el) && isEntryField(node)) break;
        continue;
      }
      const parent = node.parentElement;
      if (!parent) continue;
      if (parent.closest('select,textarea')) break; // the options or text of the previous field
      if (parent.closest('script,style,noscript,template')) continue;
      if (!shown.has(parent)) shown.set(parent, parent.getClientRects().length > 0);
      if (!shown.get(parent)) continue;
      parts.push(node.data);
      length += node.data.length;
    }
    return parts.reverse().join('').replace(/\s+/g, ' ').trim().slice(-BEFORE_CHARS);
  }

  // A label's text without the fields inside it (a wrapping label holds its field).
  function labelOwnText(label) {
    let s = '';
    const walker = label.ownerDocument.createTreeWalker(label, NodeFilter.SHOW_TEXT);
    for (let n = walker.nextNode(); n; n = walker.nextNode()) {
      const p = n.parentElement;
      if (p && p.closest('select,textarea,script,style,option') && label.contains(p.closest('select,textarea,script,style,option')))
        continue;
      s += n.data;
    }
    return s;
  }

  function evidenceOf(el) {
    let labels = [];
    try {
      labels = el.labels ? Array.from(el.labels) : [];
    } catch (e) {
      labels = [];
    }
    let aria = attributeText(el, 'aria-label');
    for (const id of attributeText(el, 'aria-labelledby').split(/\s+/).filter(Boolean).slice(0, 4)) {
      const named = el.ownerDocument.getElementById(id);
      if (named) aria += ' ' + named.textContent;
    }
    return {
      id: text(el.id),
      type: el.localName === 'input' ? attributeText(el, 'type') : el.localName,
      placeholder: squeezed(attributeText(el, 'placeholder'), MAX_EVIDENCE_CHARS),
      aria: squeezed(aria, MAX_EVIDENCE_CHARS),
      title: squeezed(attributeText(el, 'title'), MAX_EVIDENCE_CHARS),
      label: squeezed(labels.map(labelOwnText).join(' '), MAX_EVIDENCE_CHARS),
      before: textBefore(el),
    };
  }

  // The same for the focused field, read again only after the document changed.
  function fieldEvidence(st, el) {
    const stamp = st.version + ':' + (st.changes || 0);
    const kept = evidenceCache.get(el);
    if (kept && kept.stamp === stamp) return kept.evidence;
    const evidence = evidenceOf(el);
    evidenceCache.set(el, {stamp, evidence});
    return evidence;
  }

  // --- rich-text editors ------------------------------------------------------------------

  // The element a rich text is typed into: the body of a document in design mode, or the
  // outermost editable element around `el`.
  function editingRoot(el) {
    const doc = el.ownerDocument;
    if (doc.designMode === 'on') return doc.body;
    if (!el.isContentEditable) return null;
    let root = el;
    while (root.parentElement && root.parentElement.isContentEditable) root = root.parentElement;
    return root;
  }

  // Where the editor stands in its page: the frame that holds its document, or its root.
  function editorHost(root) {
    const doc = root.ownerDocument;
    if (root === doc.body) {
      try {
        const frame = doc.defaultView.frameElement;
        if (frame) return frame;
      } catch (e) {
        return root;
      }
    }
    return root;
  }

  // The hidden text area the editor writes into when the form is sent: the one whose id or
  // name the editor's boxes are named after ("content_ifr", "cke_content"), else the
  // nearest hidden one of its form, before it first.
  function editorTarget(host) {
    const scope = host.closest('form') || host.ownerDocument;
    const areas = Array.from(scope.getElementsByTagName('textarea')).filter((t) => !isShown(t));
    if (areas.length === 0) return null;
    const ids = [];
    for (let n = host, depth = 0; n && depth < 6; n = n.parentElement, ++depth)
      if (n.id) ids.push(n.id);
    for (const t of areas) {
      const keys = [text(t.id), text(t.name)].filter((k) => k.length >= 2);
      if (keys.some((k) => ids.some((id) => id !== k && id.includes(k)))) return t;
    }
    let before = null;
    let after = null;
    for (const t of areas) {
      if (t.compareDocumentPosition(host) & Node.DOCUMENT_POSITION_FOLLOWING) before = t;
      else if (!after) after = t;
    }
    return before || after;
  }

  // The editor `el` is typed in, with the text area it writes to; null for none.
  function editorOf(el) {
    if (el.localName === 'input' || el.localName === 'textarea') return null;
    const root = editingRoot(el);
    if (!root) return null;
    const host = editorHost(root);
    const target = editorTarget(host);
    return target ? {root, host, target} : null;
  }

  function editorEmpty(root) {
    return root.textContent.trim() === '' && !root.querySelector('img');
  }

  // A text area that is not shown and whose value something changed since the page was
  // written: an editor's, filled when the form is sent.
  function editorWritten(el) {
    return el.localName === 'textarea' && !isShown(el) && el.value !== el.defaultValue;
  }

  // --- the fill ---------------------------------------------------------------------------

  // The document of a frame of the same origin; null for another origin's.
  function frameDocument(frame) {
    try {
      return frame.contentDocument;
    } catch (e) {
      return null;
    }
  }

  // The documents of the page that the tool may read and write: this one and the frames of
  // the same origin in it, never a frame of another origin.
  function sameOriginDocuments(doc, out, depth) {
    out.push(doc);
    if (depth >= 8) return out;
    for (const frame of doc.querySelectorAll('iframe,frame')) {
      const inner = frameDocument(frame);
      if (inner && inner.defaultView) sameOriginDocuments(inner, out, depth + 1);
    }
    return out;
  }

  function deepActiveElement(doc) {
    let el = doc.activeElement;
    for (let depth = 0; el && depth < 16 && (el.localName === 'iframe' || el.localName === 'frame'); ++depth) {
      const inner = frameDocument(el);
      if (!inner) break;
      el = inner.activeElement;
    }
    return el;
  }

  // The editors of a document: editable elements not inside another, and the bodies of the
  // frames in it that are in design mode.
  function editorsIn(doc) {
    const roots = [];
    for (const el of doc.querySelectorAll('[contenteditable]')) {
      if (el.isContentEditable && !(el.parentElement && el.parentElement.isContentEditable)) roots.push(el);
    }
    for (const frame of doc.querySelectorAll('iframe,frame')) {
      const inner = frameDocument(frame);
      if (inner && inner.body && (inner.designMode === 'on' || inner.body.isContentEditable)) roots.push(inner.body);
    }
    return roots;
  }

  // Every form of the page with its fields, as the tool decides on them. An input says
  // where it stands among its document's inputs, as a focus change does, so that the tool
  // cuts its label window from the markup it has.
  function gatherFill(engine, id) {
    engine.fillHandles = new Map();
    const focused = deepActiveElement(document);
    const forms = [];
    let room = MAX_FILL_FIELDS;
    const describe = (el, st, overrides) => {
      const handle = engine.nextHandle++;
      engine.fillHandles.set(handle, overrides.root || el);
      const field = {
        handle, doc: st.id, version: 0, input: -1, values: [], tag: text(el.tagName), name: text(el.name),
        value: '',
        maxLength: typeof el.maxLength === 'number' ? el.maxLength : -1,
        visible: isShown(el), enabled: !el.matches(':disabled'), writable: el.readOnly !== true,
        empty: text(el.value) === '', editor: false, evidence: evidenceOf(el),
      };
      if (el.localName === 'input' && !overrides.root) engine.placeInput(st, el, field);
      return Object.assign(field, overrides.fields || {});
    };
    for (const doc of sameOriginDocuments(document, [], 0)) {
      const st = engine.attach(doc.defaultView);
      if (!st) continue;
      const editors = editorsIn(doc).map((root) => ({root, host: editorHost(root)}))
        .map((e) => Object.assign(e, {target: editorTarget(e.host)})).filter((e) => e.target);
      for (const form of formsOf(doc)) {
        const fields = [];
        for (const el of fieldsOf(form)) {
          if (room-- <= 0) break;
          fields.push(describe(el, st, {}));
        }
        for (const e of editors) {
          if (e.target.form !== form || room-- <= 0) continue;
          fields.push(describe(e.target, st, {
            root: e.root,
            fields: {tag: 'TEXTAREA', editor: true, visible: isShown(e.host), enabled: true, writable: true,
                     empty: editorEmpty(e.root), maxLength: -1},
          }));
        }
        const holdsFocus = !!focused && (form.contains(focused) || fieldsOf(form).includes(focused) ||
                                          editors.some((e) => e.target.form === form && e.root.contains(focused)));
        forms.push({charset: engine.charsetOf(doc, form), holdsFocus, fields});
        if (room <= 0) break;
      }
    }
    return {kind: 'fillable', id, forms};
  }

  // The events a person's typing leaves; no focus moves, which on a page of thousands of
  // fields would lay it out anew for every one.
  function typeIntoField(el, value) {
    el.value = value;
    el.dispatchEvent(new InputEvent('input', {bubbles: true, inputType: 'insertText', data: value}));
    el.dispatchEvent(new Event('change', {bubbles: true}));
  }

  function typeIntoEditor(root, value) {
    const doc = root.ownerDocument;
    const view = doc.defaultView;
    if (view) view.focus();
    root.focus({preventScroll: true});
    const selection = view ? view.getSelection() : null;
    if (selection) selection.selectAllChildren(root);
    if (!doc.execCommand('insertText', false, value)) {
      root.textContent = value;
      root.dispatchEvent(new InputEvent('input', {bubbles: true, inputType: 'insertText', data: value}));
    }
    root.blur();
  }

  // Types each value into its field as a person would, so that the page's own scripts see
  // the input and the change; a field that went, or is now locked or filled, is passed by.
  // The focus goes back where it was; nothing is reported of the fill's own focus changes.
  function applyFill(engine, id, steps) {
    const results = [];
    const handles = engine.fillHandles || new Map();
    const before = deepActiveElement(document);
    engine.filling = true;
    try {
      for (const step of Array.isArray(steps) ? steps : []) {
        const handle = step && step[0];
        const value = step && typeof step[1] === 'string' ? step[1] : null;
        const el = handles.get(handle);
        if (!el || !el.isConnected || value === null) {
          results.push({handle, ok: false, name: '', value: ''});
          continue;
        }
        const editor = el.localName !== 'input' && el.localName !== 'textarea' ? editorOf(el) : null;
        try {
          if (editor) {
            if (!editorEmpty(el)) throw new Error('filled meanwhile');
            typeIntoEditor(el, value);
          } else {
            if (el.matches(':disabled') || el.readOnly === true || el.value !== '') throw new Error('locked');
            typeIntoField(el, value);
          }
        } catch (e) {
          results.push({handle, ok: false, name: '', value: ''});
          continue;
        }
        const field = editor ? editor.target : el;
        engine.typed.add(field);
        engine.paintElement(el);
        results.push({handle, ok: true, name: text(field.name), value: editor ? value : text(el.value)});
      }
      if (before && before.isConnected && typeof before.focus === 'function') before.focus({preventScroll: true});
    } finally {
      engine.filling = false;
    }
    return {kind: 'filled', id, fields: results};
  }

