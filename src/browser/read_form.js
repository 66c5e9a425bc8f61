// Reads the form at one place of a page loaded once more in the background: the document's
// address, the form's action and its fields. Runs in an isolated world, changes nothing,
// and gives its answer as JSON text.
(function (index) {
  'use strict';
@FORM_FIELDS_JS@
  const forms = formsOf(document);
  const form = index >= 0 && index < forms.length ? forms[index] : null;
  return JSON.stringify({
    page: document.URL,
    action: form ? actionOf(form) : null,
    fields: form ? fieldsOf(form).map(fieldOf) : [],
  });
})(@FORM_INDEX@);
