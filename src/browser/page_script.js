// The page side of the capture bridge. Injected at document creation into every frame, in
// an isolated world: the page's own scripts can neither see nor call any of it. The copy
// in the top frame talks to the tool over the web channel; same-origin frames hand their
// documents to it, because the channel only reaches the top frame.
//
// It reports three things: the focused element after every focus change or edit (with
// the markup the label rules read), each form submission with its entry list and a
// description of its form, and the answer to a ping. It paints a field yellow when the
// tool asks, and never otherwise changes the page.
(function () {
  'use strict';

  const ENGINE = 'sitecaptureEngine';
  const HOOK_EVENT = '@SUBMIT_HOOK_EVENT@';
  const MAX_CHARS = @MAX_BRIDGE_CHARS@;
  const KEPT_HANDLES = 32;
  const HTML_SPACES = /^[\t\n\f\r ]+|[\t\n\f\r ]+$/g;
  // Labels of the replacement encoding: a form given one is sent in UTF-8.
  const REPLACEMENT_LABELS = new Set(['csiso2022kr', 'hz-gb-2312', 'iso-2022-cn', 'iso-2022-cn-ext',
                                      'iso-2022-kr', 'replacement']);
  // Fields that an image may stand next to; hidden fields and buttons do not count.
  const ENTRY_FIELDS = 'input:not([type=hidden i]):not([type=submit i]):not([type=button i])' +
                       ':not([type=reset i]):not([type=image i]),textarea,select';
  // The markup is kept in blocks: runs of sibling nodes of about RUN_CHARS, and the tags of
  // elements larger than SPLIT_CHARS whose children are blocks of their own. A change of
  // the document reads again only the blocks it touched.
  const RUN_CHARS = 8192;
  const SPLIT_CHARS = 32768;
  const HTML_NS = 'http://www.w3.org/1999/xhtml';
  // Elements never split: their children are raw text, a template's content, not written
  // out at all, or small by nature.
  const WHOLE = new Set(['script', 'style', 'template', 'textarea', 'title', 'xmp', 'iframe', 'noembed',
                         'noframes', 'plaintext', 'noscript', 'area', 'base', 'br', 'col', 'embed', 'hr',
                         'img', 'input', 'link', 'meta', 'source', 'track', 'wbr', 'param', 'keygen',
                         'basefont', 'bgsound', 'frame']);
  // Background reading after the load: slices short enough not to hold up the operator.
  const SLICE_MS = 3;
  const SLICE_CHARS = 16384;

@FORM_FIELDS_JS@

  let topWindow = null;
  try {
    topWindow = window.top;
  } catch (e) {
    topWindow = null;
  }
  if (window !== topWindow) {
    // A frame: the top frame's engine follows this document, if the frame is same-origin.
    let engine = null;
    try {
      engine = topWindow ? topWindow[ENGINE] : null;
    } catch (e) {
      engine = null;
    }
    if (engine) engine.attach(window);
    return;
  }

  function text(value) {
    return typeof value === 'string' ? value : '';
  }

  function isFrame(el) {
    return el.localName === 'iframe' || el.localName === 'frame';
  }

  // Whether getElementsByTagName('input') of an HTML document finds the element.
  function isInputTag(el) {
    return el.namespaceURI === HTML_NS ? el.localName === 'input' : el.tagName === 'input';
  }

  // A node's share of the markup, roughly.
  function estimate(node) {
    if (node.nodeType !== Node.ELEMENT_NODE) return (node.nodeValue || '').length + 8;
    return (node.textContent || '').length + 24 * node.getElementsByTagName('*').length + 64;
  }

  function splittable(el, size) {
    return size > SPLIT_CHARS && el.namespaceURI === HTML_NS && !WHOLE.has(el.localName) &&
           el.firstElementChild !== null;
  }

  function cutAtMarks(html, count, mark) {
    const segments = [];
    let from = 0;
    for (let i = 0; i < count; ++i) {
      const at = html.indexOf(mark(i), from);
      if (at < 0) return null;
      segments.push(html.slice(from, at));
      from = at + mark(i).length;
    }
    segments.push(html.slice(from));
    return segments;
  }

  function base64(buffer) {
    const bytes = new Uint8Array(buffer);
    let s = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      s += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(s);
  }

  function charsLength(entries) {
    let n = 0;
    for (const e of entries)
      n += e.name.length + (e.file ? e.file.name.length + e.file.data.length : e.value.length);
    return n;
  }

  // The form's description within `room` characters: without its markup (and so without
  // captions) if need be, or not at all.
  function fitForm(form, room) {
    if (!form) return null;
    const sum = (list) => list.reduce((n, s) => n + s.length, 0);
    const markup = sum(form.segments) + sum(form.values);
    const rest = form.page.length + form.action.length +
                 form.fields.reduce((n, f) => n + f.name.length + f.id.length + f.type.length +
                                              f.value.length + f.image.length, 0);
    if (rest + markup <= room) return form;
    if (rest <= room) {
      const fields = form.fields.map((f) => Object.assign({}, f, {mark: -1}));
      return Object.assign({}, form, {fields, segments: [], values: []});
    }
    return null;
  }

@FILL_FORM_JS@

  class Engine {
    constructor() {
      this.docs = new WeakMap();
      this.nextDoc = 1;
      this.handles = new Map();
      // Handles of an earlier page of the same view never name an element of this one.
      this.nextHandle = 1 + Math.floor(Math.random() * 1e9);
      this.painted = new WeakMap();
      // Fields the operator typed into (text entered by keys, an input method or a paste).
      this.typed = new WeakSet();
      this.queue = [];
      this.bridge = null;
      this.lastHandle = 0;
      // Markup is serialised from a copy in a document without a window: nothing in the
      // copy loads, runs or shows.
      this.inert = document.implementation.createHTMLDocument('');
      new QWebChannel(qt.webChannelTransport, (channel) => {
        const bridge = channel.objects.bridge;
        bridge.highlight.connect((handle) => this.paint(handle));
        bridge.ping.connect((id) => this.send({kind: 'pong', id}));
        // The fill is the tool's: nothing of the page starts it.
        bridge.gatherFill.connect((id) => this.send(gatherFill(this, id)));
        bridge.applyFill.connect((id, steps) => this.send(applyFill(this, id, steps)));
        bridge.report({kind: 'hello'});
        this.bridge = bridge;
        for (const m of this.queue.splice(0)) bridge.report(m);
      });
    }

    send(message) {
      if (this.bridge) this.bridge.report(message);
      else if (this.queue.length < 256) this.queue.push(message);
    }

    attach(win) {
      let doc = null;
      try {
        doc = win.document;
      } catch (e) {
        return null;
      }
      if (!doc) return null;
      const known = this.docs.get(doc);
      if (known) return known;
      const st = {
        id: this.nextDoc++, doc, version: 0, tree: null, owner: new WeakMap(), flat: [], reorder: false,
        nextBlock: 1, chars: 0, oversize: false, sent: new WeakMap(), reading: false,
        nonce: Math.random().toString(36).slice(2) + Date.now().toString(36),
        paintedList: [], lastSubmit: null, observer: null,
      };
      this.docs.set(doc, st);
      const activity = (e) => {
        if (e.isTrusted) this.onActivity(doc);
      };
      for (const type of ['focusin', 'input', 'change', 'keyup', 'mouseup'])
        doc.addEventListener(type, activity, true);
      // Only an InputEvent has an input type: a select's input event is a plain Event.
      doc.addEventListener('input', (e) => {
        if (e.isTrusted && typeof e.inputType === 'string') this.typed.add(e.target);
      }, true);
      // Focus that moves into a frame leaves only a blur behind in this window.
      win.addEventListener('blur', (e) => {
        if (e.isTrusted && e.target === win) setTimeout(() => this.onActivity(doc), 0);
      }, true);
      // On the window in the capture phase, registered before any script of the page runs:
      // no listener of the page comes before these, so none can stop them.
      win.addEventListener('submit', (e) => {
        if (e.isTrusted) this.noteSubmit(st, e.target, e, e.submitter || null);
      }, true);
      win.addEventListener(HOOK_EVENT, (e) => this.noteSubmit(st, e.target, e, null), true);
      win.addEventListener('formdata', (e) => {
        if (e.isTrusted) this.onFormData(st, win, e);
      }, true);
      // Once loaded, the page is read in the background, so that the first focus finds it read.
      if (doc.readyState === 'complete') this.readLater(st);
      else win.addEventListener('load', () => this.readLater(st), {once: true});
      return st;
    }

    // --- the focused element -------------------------------------------------------------

    onActivity(doc) {
      if (this.filling) return;
      let el = doc.activeElement;
      for (let depth = 0; el && depth < 16 && isFrame(el); ++depth) {
        let inner = null;
        try {
          inner = el.contentDocument;
        } catch (e) {
          inner = null;
        }
        if (!inner || !inner.defaultView) break;
        this.attach(inner.defaultView);
        el = inner.activeElement;
      }
      if (el) this.report(el);
    }

    // The same handle while the same element is reported again: the tool then takes only
    // its latest report of those that wait for it.
    remember(el) {
      if (this.handles.get(this.lastHandle) === el) return this.lastHandle;
      const handle = this.nextHandle++;
      this.lastHandle = handle;
      this.handles.set(handle, el);
      if (this.handles.size > KEPT_HANDLES) this.handles.delete(this.handles.keys().next().value);
      return handle;
    }

    report(el) {
      const view = el.ownerDocument && el.ownerDocument.defaultView;
      const st = view ? this.attach(view) : null;
      if (!st) return;
      const editor = editorOf(el);
      if (editor) {
        this.reportEditor(st, editor);
        return;
      }
      const message = {
        kind: 'field', doc: st.id, version: 0, handle: this.remember(el),
        tag: text(el.tagName), name: text(el.name), value: text(el.value), input: -1, values: [],
      };
      if (el.localName === 'input') {
        this.placeInput(st, el, message);
        message.evidence = fieldEvidence(st, el);
      }
      this.send(message);
    }

    // Typing in a rich-text editor is typing into the text area it fills in.
    reportEditor(st, editor) {
      this.send({
        kind: 'field', doc: st.id, version: 0, handle: this.remember(editor.root), tag: 'TEXTAREA',
        name: text(editor.target.name), value: editor.root.innerHTML, input: -1, values: [], editor: true,
      });
    }

    // The field's place among the document's inputs, with the blocks before it that the
    // tool lacks and the values before it that changed since they were last sent.
    placeInput(st, el, message) {
      if (!this.settle(st) || st.oversize) return;
      const item = this.ownerOf(st, el);
      if (!item || item.kind !== 'run') return;
      this.sync(st, item.block);
      if (st.oversize) return;
      const j = item.block.inputs.indexOf(el);
      if (j < 0) return;
      let k = 0;
      const note = (input) => {
        const v = text(input.value);
        if (v !== st.sent.get(input)) {
          st.sent.set(input, v);
          message.values.push([k, v]);
        }
        ++k;
      };
      for (const b of st.flat) {
        if (b === item.block) break;
        b.inputs.forEach(note);
      }
      item.block.inputs.slice(0, j).forEach(note);
      message.version = st.version;
      message.input = k;
    }

    // --- the markup in blocks ------------------------------------------------------------

    block(st, item) {
      return {id: st.nextBlock++, item, segments: null, inputs: [], synced: false, chars: 0};
    }

    makeRun(st, nodes) {
      const run = {kind: 'run', nodes, dirty: false, block: null};
      run.block = this.block(st, run);
      for (const n of nodes) st.owner.set(n, run);
      return run;
    }

    // An element whose children are blocks of their own; null if its tags cannot be cut.
    makeSplit(st, el, root) {
      const split = {kind: 'split', el, root, items: [], restructure: false, open: null, close: null};
      split.open = this.block(st, split);
      split.close = this.block(st, split);
      if (!root && !this.readTags(st, split)) return null;
      if (root) this.setTags(st, split, '', '');
      st.owner.set(el, split);
      split.items = this.partition(st, split, []);
      return split;
    }

    // The children of a split element as blocks: the runs and splits of `old` that still
    // stand as they were, new runs and splits for the rest. A run is cut only before an
    // element, so that no text runs across two blocks.
    partition(st, split, old) {
      const reuse = new Map();
      for (const item of old) reuse.set(item.kind === 'run' ? item.nodes[0] : item.el, item);
      const kids = split.el.childNodes;
      const isText = (n) => !!n && n.nodeType !== Node.ELEMENT_NODE;
      const items = [];
      let run = null;
      let size = 0;
      const flush = () => {
        if (run) items.push(this.makeRun(st, run));
        run = null;
        size = 0;
      };
      for (let i = 0; i < kids.length;) {
        const n = kids[i];
        const before = run ? run[run.length - 1] : (i > 0 ? kids[i - 1] : null);
        const o = reuse.get(n);
        if (o && o.kind === 'run' && o.nodes.every((m, k) => kids[i + k] === m) &&
            !(isText(before) && isText(n)) &&
            !(isText(o.nodes[o.nodes.length - 1]) && isText(kids[i + o.nodes.length]))) {
          flush();
          items.push(o);
          i += o.nodes.length;
          continue;
        }
        if (o && o.kind === 'split') {
          flush();
          items.push(o);
          ++i;
          continue;
        }
        const share = estimate(n);
        if (n.nodeType === Node.ELEMENT_NODE) {
          const inner = splittable(n, share) ? this.makeSplit(st, n, false) : null;
          if (inner) {
            flush();
            items.push(inner);
            ++i;
            continue;
          }
          if (run && size + share > RUN_CHARS) flush();
        }
        if (!run) run = [];
        run.push(n);
        size += share;
        ++i;
      }
      flush();
      return items;
    }

    setTags(st, split, open, close) {
      for (const [b, t] of [[split.open, open], [split.close, close]]) {
        st.chars += t.length - b.chars;
        b.chars = t.length;
        b.segments = [t];
        b.synced = false;
      }
    }

    // A split element's start and end tags, cut around a comment put in its copy.
    readTags(st, split) {
      const copy = this.inert.importNode(split.el, false);
      this.unpaint(st, [split.el], [copy]);
      copy.appendChild(this.inert.createComment(st.nonce));
      const html = copy.outerHTML;
      const cut = '<!--' + st.nonce + '-->';
      const at = html.indexOf(cut);
      if (at < 0) return false;
      this.setTags(st, split, html.slice(0, at), html.slice(at + cut.length));
      return true;
    }

    // A run's markup, read as its nodes stand, cut at a mark in each input's value attribute.
    readRun(st, run) {
      const b = run.block;
      for (const el of b.inputs) st.sent.delete(el);
      const box = this.inert.importNode(run.nodes[0].parentNode, false);
      const copies = [];
      const live = [];
      for (const n of run.nodes) {
        const c = this.inert.importNode(n, true);
        box.appendChild(c);
        copies.push(c);
        if (n.nodeType === Node.ELEMENT_NODE) {
          if (isInputTag(n)) live.push(n);
          for (const el of n.getElementsByTagName('input')) live.push(el);
        }
      }
      const marked = box.getElementsByTagName('input');
      const mark = (i) => '\uE000' + st.nonce + ':' + i + '\uE001';
      const places = marked.length === live.length;
      if (places) for (let i = 0; i < marked.length; ++i) marked[i].setAttribute('value', mark(i));
      this.unpaint(st, run.nodes, copies);
      const html = box.innerHTML;
      const segments = places ? cutAtMarks(html, live.length, mark) : null;
      // Not cut as expected: the run is sent without places for its inputs.
      b.segments = segments || [html];
      b.inputs = segments ? live : [];
      for (const el of b.inputs) st.sent.delete(el);
      st.chars += html.length - b.chars;
      b.chars = html.length;
      b.synced = false;
    }

    ownerOf(st, node) {
      for (let n = node; n; n = n.parentNode) {
        const item = st.owner.get(n);
        if (item) return item;
      }
      return null;
    }

    // Notes what the changes touched; read again when next needed. A style of the tool's
    // own paint and an input's value attribute (the copy's holds a mark) change nothing.
    noteMutations(st, records) {
      if (!st.tree) return false;
      let touched = false;
      for (const r of records) {
        const t = r.target;
        if (r.type === 'attributes' && t.nodeType === Node.ELEMENT_NODE) {
          if (r.attributeName === 'style' && this.painted.has(t)) continue;
          if (r.attributeName === 'value' && r.attributeNamespace === null && isInputTag(t)) continue;
        }
        const item = this.ownerOf(st, t);
        if (!item) {
          // Outside the body, unless the body itself went.
          if (st.doc.body !== st.tree.el) {
            st.tree = null;
            return true;
          }
          continue;
        }
        touched = true;
        if (item.kind === 'run') {
          item.dirty = true;
        } else if (r.type === 'attributes' && t === item.el) {
          if (!item.root) item.open.segments = null;
        } else {
          item.restructure = true;
        }
      }
      if (touched) st.changes = (st.changes || 0) + 1; // what the fields' evidence is read against
      return touched;
    }

    // Brings the blocks up to date with what the changes touched; false without a body.
    settle(st) {
      if (st.observer) this.noteMutations(st, st.observer.takeRecords());
      if (!st.tree) {
        const body = st.doc.body;
        if (!body) return false;
        if (st.oversize) return true; // said once
        if (!st.observer) {
          st.observer = new MutationObserver((records) => {
            if (this.noteMutations(st, records)) this.readLater(st);
          });
          st.observer.observe(st.doc, {subtree: true, childList: true, attributes: true, characterData: true});
        }
        st.version += 1;
        st.owner = new WeakMap();
        st.chars = 0;
        st.oversize = false;
        st.sent = new WeakMap();
        // Markup is never shorter than the text in it: a page past the limit by its text
        // alone is not read at all, whatever the field.
        if ((body.textContent || '').length > MAX_CHARS) {
          st.oversize = true;
          this.send({kind: 'oversize'});
          return true;
        }
        st.tree = this.makeSplit(st, body, true);
        st.reorder = true;
      }
      const walk = (split) => {
        if (split.restructure) {
          split.restructure = false;
          split.items = this.partition(st, split, split.items);
          st.reorder = true;
        }
        if (split.open.segments === null && !this.readTags(st, split)) {
          // Its tags no longer cut: read as a whole with its parent's runs.
          return false;
        }
        for (const item of split.items) {
          if (item.kind === 'split') {
            if (!walk(item)) {
              split.restructure = true;
              split.items = split.items.filter((i) => i !== item);
              st.owner.delete(item.el);
              return walk(split);
            }
          } else if (item.dirty) {
            item.dirty = false;
            item.block.segments = null;
            item.block.synced = false;
          }
        }
        return true;
      };
      walk(st.tree);
      if (st.reorder) {
        const flat = [];
        const add = (split) => {
          flat.push(split.open);
          for (const item of split.items) item.kind === 'split' ? add(item) : flat.push(item.block);
          flat.push(split.close);
        };
        add(st.tree);
        st.flat = flat;
        st.chars = flat.reduce((n, b) => n + b.chars, 0);
      }
      return true;
    }

    // Sends the blocks the tool lacks, up to `upto` (all when null), with their order if it
    // changed; at most `room` characters and `ms` milliseconds when given. True when all
    // up to `upto` went.
    sync(st, upto, room = Infinity, ms = Infinity) {
      const started = performance.now();
      const blocks = [];
      let used = 0;
      let done = true;
      for (const b of st.flat) {
        if (!b.synced) {
          if (used >= room || performance.now() - started > ms) {
            done = false;
            break;
          }
          if (b.segments === null) this.readRun(st, b.item);
          if (st.chars > MAX_CHARS) {
            st.oversize = true;
            this.send({kind: 'oversize'});
            return false;
          }
          b.synced = true;
          blocks.push([b.id, b.segments]);
          used += b.chars;
        }
        if (b === upto) break;
      }
      if (blocks.length || st.reorder) {
        const message = {kind: 'blocks', doc: st.id, version: st.version, blocks};
        if (st.reorder) message.order = st.flat.map((b) => b.id);
        st.reorder = false;
        this.send(message);
      }
      return done;
    }

    // Reads and sends the rest of the page in slices while the page is idle.
    readLater(st) {
      if (st.reading) return;
      st.reading = true;
      // Only in idle time: a focus that comes first reads what it needs itself.
      const step = (deadline) => {
        st.reading = false;
        if (!st.doc.defaultView || !this.settle(st) || st.oversize) return;
        if (!this.sync(st, null, SLICE_CHARS, Math.min(SLICE_MS, deadline.timeRemaining())))
          this.readLater(st);
      };
      requestIdleCallback(step);
    }

    // The copies show painted fields with the style they had before the paint.
    unpaint(st, roots, copies) {
      for (const el of st.paintedList) {
        if (!el.isConnected) continue;
        const k = roots.findIndex((r) => r === el || (r.nodeType === Node.ELEMENT_NODE && r.contains(el)));
        if (k < 0) continue;
        const twin = roots[k] === el ? copies[k] :
          copies[k].getElementsByTagName(el.localName)[
            Array.prototype.indexOf.call(roots[k].getElementsByTagName(el.localName), el)];
        if (!twin) continue;
        const before = this.painted.get(el);
        if (before === null) twin.removeAttribute('style');
        else twin.setAttribute('style', before);
      }
    }

    paint(handle) {
      const el = this.handles.get(handle);
      if (el && el.isConnected) this.paintElement(el);
    }

    paintElement(el) {
      const st = this.docs.get(el.ownerDocument);
      if (!this.painted.has(el)) {
        this.painted.set(el, el.getAttribute('style'));
        if (st) st.paintedList.push(el);
      }
      const style = el.style;
      if (style.getPropertyValue('background-color') === 'yellow' &&
          style.getPropertyPriority('background-color') === 'important') return;
      style.setProperty('background-color', 'yellow', 'important');
      if (st && st.observer && this.noteMutations(st, st.observer.takeRecords())) this.readLater(st);
    }

    // --- submissions ---------------------------------------------------------------------

    noteSubmit(st, form, event, submitter) {
      if (!form || form.localName !== 'form') return;
      st.lastSubmit = {form, event, submitter};
      // The entry list of a submission is built in the same task as its announcement.
      setTimeout(() => {
        if (st.lastSubmit && st.lastSubmit.form === form) st.lastSubmit = null;
      }, 0);
    }

    onFormData(st, win, e) {
      const pending = st.lastSubmit;
      if (!pending || pending.form !== e.target) return;
      // A FormData the page builds inside its own submit listener: the submission's entry
      // list comes after that listener. A submit the page cancelled sends nothing at all.
      if (pending.event.eventPhase !== Event.NONE || pending.event.defaultPrevented) return;
      st.lastSubmit = null;
      // The form's attributes are read now, as the engine reads them; the entries once the
      // page's own formdata listeners have added theirs: after the last listener on the
      // window, or on the next task if the page stopped the event on its way there.
      const submission = this.describeSubmission(pending.form, pending.submitter);
      if (!submission) return;
      // The fields as they are submitted, before any later listener changes them.
      submission.form = this.describeForm(st, pending.form);
      const formData = e.formData;
      let done = false;
      const finish = () => {
        if (done) return;
        done = true;
        win.removeEventListener('formdata', last, false);
        this.reportSubmission(submission, formData);
      };
      const last = (event) => {
        if (event === e) finish();
      };
      win.addEventListener('formdata', last, false);
      setTimeout(finish, 0);
    }

    // The label the engine encodes the form in: the first label of accept-charset that it
    // knows, labels split at spaces and commas only; the document's encoding if none.
    charsetOf(doc, form) {
      const accept = form.getAttribute('accept-charset');
      if (accept) {
        for (const label of accept.split(/[ ,]+/)) {
          if (!label || /[\t\n\f\r]/.test(label)) continue;
          if (REPLACEMENT_LABELS.has(label.toLowerCase())) return label; // sent as UTF-8
          try {
            return new TextDecoder(label).encoding;
          } catch (e) {
            // Not a charset the browser knows: try the next one.
          }
        }
      }
      return doc.characterSet;
    }

    // The address as the engine resolves it: relative to the document's base, the query in
    // the document's own encoding (new URL() would always use UTF-8).
    resolve(doc, action) {
      return resolveAddress(doc, action);
    }

    // Action, enctype and charset of a POST submission; nothing for any other method.
    describeSubmission(form, submitter) {
      const doc = form.ownerDocument;
      const attr = (el, name) => (el && el.hasAttribute(name) ? el.getAttribute(name) : null);
      const pick = (own, formName) => {
        const s = attr(submitter, own);
        return s !== null ? s : attr(form, formName);
      };
      // Only a POST carries a body; other submissions are plain navigations to the tool.
      if (String(pick('formmethod', 'method') || '').toLowerCase() !== 'post') return null;
      const url = this.resolve(doc, String(pick('formaction', 'action') || '').replace(HTML_SPACES, ''));
      if (!url) return null;
      // The engine encodes the body of a form whose own method is GET as urlencoded, even
      // when its submitter posts it as text/plain (the header then says text/plain).
      let enctype = String(pick('formenctype', 'enctype') || '');
      const ownMethod = String(attr(form, 'method') || '').toLowerCase();
      if (ownMethod !== 'post' && ownMethod !== 'dialog' &&
          enctype.toLowerCase() !== 'multipart/form-data') {
        enctype = 'application/x-www-form-urlencoded';
      }
      return {url, enctype, charset: this.charsetOf(doc, form)};
    }

    // --- the submitted form, for the checks ----------------------------------------------

    // Where the form stands, and each field with the image next to it and its mark in the
    // markup the caption is cut from.
    describeForm(st, form) {
      const doc = form.ownerDocument;
      const index = Array.prototype.indexOf.call(formsOf(doc), form);
      const action = actionOf(form);
      if (index < 0 || !action) return null;
      const marked = this.markFields(st, doc);
      const fields = fieldsOf(form).map((el) => {
        const f = fieldOf(el);
        f.typed = this.typed.has(el);
        f.edited = editorWritten(el);
        f.image = this.imageNear(el);
        const mark = marked ? marked.index.get(el) : undefined;
        f.mark = mark === undefined ? -1 : mark;
        return f;
      });
      return {page: doc.URL, index, action, fields,
              segments: marked ? marked.segments : [], values: marked ? marked.values : []};
    }

    // The body's markup cut at a mark in the value attribute of every input, textarea and
    // select, as field tracking cuts it at the inputs'. An input's mark stands for its
    // current value, the others' for nothing (an empty value attribute).
    markFields(st, doc) {
      const body = doc.body;
      if (!body) return null;
      const selector = 'input,textarea,select';
      const live = Array.from(body.querySelectorAll(selector));
      const copy = this.inert.importNode(body, true);
      const copies = copy.querySelectorAll(selector);
      if (copies.length !== live.length) return null;
      const nonce = Math.random().toString(36).slice(2) + Date.now().toString(36);
      const mark = (i) => '\uE000' + nonce + ':' + i + '\uE001';
      copies.forEach((c, i) => c.setAttribute('value', mark(i)));
      this.unpaint(st, [body], [copy]);
      const html = copy.innerHTML;
      const segments = [];
      let from = 0;
      for (let i = 0; i < live.length; ++i) {
        const at = html.indexOf(mark(i), from);
        if (at < 0) return null;
        segments.push(html.slice(from, at));
        from = at + mark(i).length;
      }
      segments.push(html.slice(from));
      const index = new Map();
      live.forEach((el, i) => index.set(el, i));
      return {segments, values: live.map((el) => (el.localName === 'input' ? text(el.value) : '')), index};
    }

    // The address of an image next to the field: the element right after it or right
    // before it (line breaks skipped) if it is or holds an image and no field, else the
    // first image of the closest cell, row or box around it that holds no other field.
    imageNear(el) {
      const isImage = (n) => n.localName === 'img' && !!attributeOf(n, 'src');
      const firstImage = (n) => Array.from(n.getElementsByTagName('img')).find(isImage) || null;
      const holdsField = (n) => n.matches(ENTRY_FIELDS) || !!n.querySelector(ENTRY_FIELDS);
      const sibling = (n, step) => {
        do n = n[step]; while (n && n.localName === 'br');
        return n;
      };
      for (const step of ['nextElementSibling', 'previousElementSibling']) {
        const n = sibling(el, step);
        if (!n || holdsField(n)) continue;
        const img = isImage(n) ? n : firstImage(n);
        if (img) return text(img.src);
      }
      const stops = new Set(['form', 'body', 'html', 'table', 'tbody', 'thead', 'tfoot']);
      let box = el.parentElement;
      for (let depth = 0; box && depth < 4 && !stops.has(box.localName); ++depth, box = box.parentElement) {
        if (Array.prototype.some.call(box.querySelectorAll(ENTRY_FIELDS), (f) => f !== el)) break;
        const img = firstImage(box);
        if (img) return text(img.src);
        if (box.localName === 'tr') break;
      }
      return '';
    }

    reportSubmission(submission, formData) {
      const {url, enctype, charset} = submission;
      const entries = [];
      const files = [];
      let fileBytes = 0;
      for (const [name, value] of formData) {
        if (typeof value === 'string') {
          entries.push({name, value});
        } else {
          const entry = {name, file: {name: text(value.name), type: text(value.type), data: ''}};
          entries.push(entry);
          files.push([entry, value]);
          fileBytes += value.size;
        }
      }
      const done = () => {
        const used = url.length + enctype.length + charset.length + charsLength(entries);
        if (used > MAX_CHARS) {
          this.send({kind: 'oversize'});
          return;
        }
        const message = {kind: 'submit', url, enctype, charset, entries};
        const form = fitForm(submission.form, MAX_CHARS - used);
        if (form) message.form = form;
        this.send(message);
      };
      const multipart = enctype.toLowerCase() === 'multipart/form-data';
      if (!multipart || files.length === 0) {
        done();
      } else if (fileBytes * 4 / 3 > MAX_CHARS) {
        this.send({kind: 'oversize'});
      } else {
        Promise.all(files.map(([entry, file]) =>
          file.arrayBuffer().then((buffer) => { entry.file.data = base64(buffer); })))
          .then(done, done);
      }
    }
  }

  const engine = new Engine();
  Object.defineProperty(window, ENGINE, {value: engine});
  engine.attach(window);
})();
