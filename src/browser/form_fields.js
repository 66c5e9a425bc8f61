  // --- forms and their fields, shared by the page script and the reading script ----------
  // Through the prototypes: a form's named fields shadow its own properties ("action",
  // "elements"), and a page's named forms and images shadow the document's.

  const FIELD_TAGS = new Set(['input', 'textarea', 'select']);

  function attributeOf(el, name) {
    return Element.prototype.getAttribute.call(el, name);
  }

  function formsOf(doc) {
    return Document.prototype.getElementsByTagName.call(doc, 'form');
  }

  // Inputs, textareas and selects of the form, in document order.
  function fieldsOf(form) {
    const elements = Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, 'elements').get.call(form);
    return Array.prototype.filter.call(elements, (el) => FIELD_TAGS.has(el.localName));
  }

  // The address as the engine resolves it: relative to the document's base, the query in
  // the document's own encoding (new URL() would always use UTF-8).
  function resolveAddress(doc, address) {
    if (!address) return doc.URL;
    const a = Document.prototype.createElement.call(doc, 'a');
    a.setAttribute('href', address);
    try {
      return new URL(a.href).href;
    } catch (e) {
      return null;
    }
  }

  // The form's own action (not a submitter's), resolved.
  function actionOf(form) {
    return resolveAddress(form.ownerDocument, String(attributeOf(form, 'action') || '').replace(/^[\t\n\f\r ]+|[\t\n\f\r ]+$/g, ''));
  }

  // Name, id, type as the page writes it ("textarea" and "select" for those), read-only
  // and the current value.
  function fieldOf(el) {
    const tag = el.localName;
    const str = (v) => (typeof v === 'string' ? v : '');
    return {
      name: str(el.name),
      id: str(el.id),
      type: tag === 'input' ? str(attributeOf(el, 'type')) : tag,
      readonly: tag !== 'select' && el.readOnly === true,
      value: str(el.value),
    };
  }
