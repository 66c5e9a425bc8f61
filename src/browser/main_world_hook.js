// Runs in the page's own world at document creation. form.submit() fires no submit event,
// so the call is announced to the capture script by a DOM event on the form first. The
// page keeps its behaviour: the original runs with the same this and arguments.
(function () {
  'use strict';
  var Form = window.HTMLFormElement;
  if (!Form || typeof Form.prototype.submit !== 'function') return;
  var original = Form.prototype.submit;
  var apply = Reflect.apply;
  var dispatch = EventTarget.prototype.dispatchEvent;
  var Announce = Event;
  Form.prototype.submit = function submit() {
    try {
      apply(dispatch, this, [new Announce('@SUBMIT_HOOK_EVENT@')]);
    } catch (e) {
      // Never in the page's way.
    }
    return apply(original, this, arguments);
  };
})();
