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
        id: this.nextDoc++, doc, version: 0, dirty: true,
        inputs: [], index: new Map(), sent: [], paintedList: [], lastSubmit: null, observer: null,
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
      st.observer = new MutationObserver((records) => this.noteMutations(st, records));
      st.observer.observe(doc, {subtree: true, childList: true, attributes: true, characterData: true});
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

    remember(el) {
      const handle = this.nextHandle++;
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

    placeInput(st, el, message) {
      this.noteMutations(st, st.observer.takeRecords());
      if (st.dirty) this.serialize(st);
      const k = st.index.get(el);
      if (k === undefined) return;
      for (let i = 0; i < k; ++i) {
        const v = st.inputs[i].value;
        if (v !== st.sent[i]) {
          st.sent[i] = v;
          message.values.push([i, v]);
        }
      }
      message.version = st.version;
      message.input = k;
    }

    noteMutations(st, records) {
      for (const r of records) {
        const ownPaint = r.type === 'attributes' && r.attributeName === 'style' && this.painted.has(r.target);
        if (!ownPaint) {
          st.dirty = true;
          return;
        }
      }
    }

    // The body's markup with a mark in each input's value attribute, cut at the marks. The
    // tool puts the current values (and the marker) back in; a focus change then costs
    // only the values, and the markup is sent again only after the document changed.
    serialize(st) {
      st.observer.takeRecords();
      st.dirty = false;
      st.version += 1;
      st.inputs = [];
      st.index = new Map();
      st.sent = [];
      const body = st.doc.body;
      if (!body) {
        this.send({kind: 'markup', doc: st.id, version: st.version, segments: ['']});
        return;
      }
      const live = Array.from(body.getElementsByTagName('input'));
      const copy = this.inert.importNode(body, true);
      const copies = copy.getElementsByTagName('input');
      const nonce = Math.random().toString(36).slice(2) + Date.now().toString(36);
      const mark = (i) => '\uE000' + nonce + ':' + i + '\uE001';
      for (let i = 0; i < copies.length; ++i) copies[i].setAttribute('value', mark(i));
      this.unpaint(st, body, copy);
      const html = copy.innerHTML;
      if (html.length > MAX_CHARS) {
        this.send({kind: 'oversize'});
        return;
      }
      const segments = [];
      let from = 0;
      for (let i = 0; i < live.length && copies.length === live.length; ++i) {
        const m = mark(i);
        const at = html.indexOf(m, from);
        if (at < 0) break;
        segments.push(html.slice(from, at));
        from = at + m.length;
      }
      if (segments.length !== live.length) {
        // Not cut as expected: the document is sent without places for its inputs.
        this.send({kind: 'markup', doc: st.id, version: st.version, segments: [html]});
        return;
      }
      segments.push(html.slice(from));
      st.inputs = live;
      live.forEach((e, i) => st.index.set(e, i));
      this.send({kind: 'markup', doc: st.id, version: st.version, segments});
    }

    // The copy shows painted fields with the style they had before the paint.
    unpaint(st, body, copy) {
      for (const el of st.paintedList) {
        if (!body.contains(el)) continue;
        const i = Array.prototype.indexOf.call(body.getElementsByTagName(el.localName), el);
        const twin = copy.getElementsByTagName(el.localName)[i];
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
      if (st) this.noteMutations(st, st.observer.takeRecords());
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
      this.unpaint(st, body, copy);
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
