// The live board: the display sends its board over a WebSocket at each change; this page
// draws it. Every text from the display is set as text, never as markup.
"use strict";

const byId = (id) => document.getElementById(id);

if (new URLSearchParams(location.search).has("overlay"))
  document.body.classList.add("overlay");

function setText(element, text) {
  if (element.textContent !== text)
    element.textContent = text;
}

function drawGrid(board) {
  const grid = byId("grid");
  grid.style.setProperty("--packs", board.packsPerTeam);
  grid.classList.toggle("bars", board.show.bars);
  grid.classList.toggle("numbers", board.show.numbers);
  while (grid.children.length > board.teams.length)
    grid.lastChild.remove();
  board.teams.forEach((team, index) => {
    let row = grid.children[index];
    if (!row) {
      row = document.createElement("div");
      row.className = "team";
      row.dataset.team = String(index + 1);
      row.append(document.createElement("div"), document.createElement("div"));
      row.children[0].className = "packs";
      row.children[1].className = "team-totals";
      row.children[1].append(document.createElement("span"), document.createElement("span"));
      grid.append(row);
    }
    const packs = row.children[0];
    while (packs.children.length > team.states.length)
      packs.lastChild.remove();
    team.states.forEach((state, pack) => {
      let box = packs.children[pack];
      if (!box) {
        box = document.createElement("div");
        box.className = "pack";
        box.dataset.pack = String(pack + 1);
        box.textContent = String(pack + 1);
        packs.append(box);
      }
      box.dataset.state = String(state);
      box.style.backgroundColor = team.fills[pack];
    });
    const totals = row.children[1];
    totals.hidden = !board.show.teamTotals;
    totals.style.color = team.colour;
    setText(totals.children[0], String(team.downloaded));
    setText(totals.children[1], String(team.played));
  });
}

function draw(board) {
  document.title = board.title;
  setText(byId("caption"), board.caption);
  const countdown = byId("countdown");
  countdown.hidden = !board.countdownShown;
  setText(countdown, board.countdown);
  drawGrid(board);
  byId("totals").hidden = !board.show.overallTotals && !board.show.totalPacks;
  setText(byId("total-downloaded"), String(board.downloaded));
  setText(byId("total-played"), String(board.played));
  setText(byId("total-packs"), String(board.inUse));
  byId("total-packs-box").hidden = !board.show.totalPacks;
  for (const id of ["total-downloaded", "total-played"])
    byId(id).parentElement.hidden = !board.show.overallTotals;
  setText(byId("downloaded-caption"), board.downloadedCaption);
  setText(byId("played-caption"), board.playedCaption);
  setText(byId("total-caption"), board.totalCaption);
  setText(byId("message"), board.message);
  document.body.dataset.mode = board.mode;
}

// Back by itself after the display restarts or the network comes back: a try each second at
// first, then every five.
let failures = 0;
function connect() {
  const socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/ws");
  socket.onopen = () => {
    failures = 0;
    byId("connection").hidden = true;
  };
  socket.onmessage = (event) => {
    try {
      draw(JSON.parse(event.data));
    } catch (error) {
      console.error("board not drawn:", error);
    }
  };
  socket.onclose = () => {
    byId("connection").hidden = false;
    failures += 1;
    setTimeout(connect, failures < 5 ? 1000 : 5000);
  };
}
connect();
