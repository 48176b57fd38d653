#include "control_page.h"

namespace quillo::standin {

const std::string& ControlPageHtml() {
    static const std::string page = R"HTML(<!DOCTYPE html>
<html><head><meta charset="utf-8" /><title>Quillo stand-in: control</title>
<style>
body { font: 14px sans-serif; margin: 1em 2em; color: #222; }
fieldset { margin: .6em 0; border: 1px solid #bbc; }
#log { border: 1px solid #ccd; height: 18em; overflow-y: auto; padding: .4em; background: #f8f8fc; }
.me { color: #35a; } .err { color: #b22; }
table { border-collapse: collapse; } td, th { padding: 2px 8px; text-align: left; }
</style></head>
<body>
<h1>Quillo stand-in</h1>
<p>Play any account as a friend of the messenger's user. The JSON interface behind this page
is described in standin/README.md.</p>
<fieldset><legend>Act as</legend>
<select id="as"></select>
<button onclick="act({online:true})">Go online</button>
<button onclick="act({online:false})">Go offline</button>
<button onclick="act({online:null})">Presence as in the data</button>
<button onclick="act({expire:true})">Expire sessions</button>
<button onclick="act({move_channel:true})">Move channel</button>
</fieldset>
<fieldset><legend>Chat</legend>
To <select id="to"></select>
<input id="text" size="50" placeholder="message" onkeydown="if(event.key=='Enter')send()" />
<button onclick="send()">Send</button>
<button onclick="act({typing:{to:val('to'),st:1}})">Start typing</button>
<button onclick="act({typing:{to:val('to'),st:0}})">Stop typing</button>
</fieldset>
<div id="log"></div>
<h2>Accounts</h2>
<table id="accounts"><tr><th>id</th><th>name</th><th>e-mail</th><th>password</th><th>online</th><th>channel</th></tr></table>
<script>
let accounts = [];
let shown = 0;
function val(id) { return document.getElementById(id).value; }
function say(text, cls) {
  const line = document.createElement('div');
  line.textContent = text;
  if (cls) line.className = cls;
  const log = document.getElementById('log');
  log.appendChild(line);
  log.scrollTop = log.scrollHeight;
}
async function post(path, body) {
  const answer = await fetch('/__control/' + path, {method: 'POST', headers: {'Content-Type': 'application/json'}, body: JSON.stringify(body)});
  return answer.json();
}
async function act(what) {
  what.as = val('as');
  const result = await post('act', what);
  say(JSON.stringify(result.results || result), result.error ? 'err' : '');
  refresh();
}
function send() {
  const text = val('text');
  if (!text) return;
  act({send: {to: val('to'), text: text}});
  document.getElementById('text').value = '';
}
function nameOf(id) {
  const found = accounts.find(a => String(a.id) === String(id));
  return found ? found.name : String(id);
}
async function refresh() {
  const state = await (await fetch('/__control/state')).json();
  accounts = state.accounts;
  for (const id of ['as', 'to']) {
    const select = document.getElementById(id);
    if (select.options.length === accounts.length) continue;
    select.innerHTML = '';
    for (const a of accounts) select.add(new Option(a.name + ' (' + a.id + ')', a.id));
  }
  const table = document.getElementById('accounts');
  while (table.rows.length > 1) table.deleteRow(1);
  for (const a of accounts) {
    const row = table.insertRow();
    for (const v of [a.id, a.name, a.email, a.password, a.online ? 'yes' : '', a.channel])
      row.insertCell().textContent = v;
  }
  const chat = await (await fetch('/__control/records?kind=chat')).json();
  for (; shown < chat.length; ++shown) {
    const c = chat[shown];
    say(nameOf(c.from) + ' to ' + nameOf(c.to) + ': ' + c.text + (c.delivered ? '' : '  (not delivered)'),
        String(c.from) === val('as') ? 'me' : '');
  }
}
refresh();
setInterval(refresh, 2000);
</script>
</body></html>
)HTML";
    return page;
}

} // namespace quillo::standin
