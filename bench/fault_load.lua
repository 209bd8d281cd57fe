-- wrk readers for fault_load.sh: half board-list pages, half views of notices
-- 1..VIEWED (never deleted). Run with one connection per thread, so every
-- response belongs to the request just made and each answered view is
-- counted against its notice. done() writes "notice answered failed
-- unanswered" lines; unanswered views are those still in flight when wrk
-- stopped (the server may still have served them).
local viewed = tonumber(os.getenv("VIEWED") or "100")
local pages = tonumber(os.getenv("PAGES") or "10")
local out = os.getenv("VIEW_LOG") or "views.txt"
local threads = {}
local n = 0
local current

function setup(thread)
  thread:set("id", #threads + 1)
  table.insert(threads, thread)
end

function init(args)
  math.randomseed(os.time() * 1000 + id)
  answered = {}
  failed = {}
  sent = {}
end

function request()
  n = n + 1
  if n % 2 == 0 then
    current = math.random(1, viewed)
    sent[current] = (sent[current] or 0) + 1
    return wrk.format("GET", "/board/Tavrix.exe?action=GongView2&nyno=" .. current)
  end
  current = nil
  return wrk.format("GET", "/board/Tavrix.exe?action=GongList2&page=" .. math.random(1, pages))
end

function response(status, headers, body)
  if current then
    -- An answered view is a whole page that shows the notice's number.
    local shown = body:find(string.format("&nbsp;%4d </td>", current), 1, true)
    if status == 200 and shown and body:find("</HTML>", 1, true) then
      answered[current] = (answered[current] or 0) + 1
    else
      failed[current] = (failed[current] or 0) + 1
    end
  end
end

function done(summary, latency, requests)
  local a, f, s = {}, {}, {}
  for _, t in ipairs(threads) do
    for k, v in pairs(t:get("answered")) do a[k] = (a[k] or 0) + v end
    for k, v in pairs(t:get("failed")) do f[k] = (f[k] or 0) + v end
    for k, v in pairs(t:get("sent")) do s[k] = (s[k] or 0) + v end
  end
  local file = io.open(out, "w")
  for i = 1, viewed do
    local ok, bad = a[i] or 0, f[i] or 0
    file:write(string.format("%d %d %d %d\n", i, ok, bad, (s[i] or 0) - ok - bad))
  end
  file:close()
  io.write(string.format("wrk: %d requests, %d non-2xx, %d socket errors (connect %d, read %d, write %d, timeout %d), %.0f requests/s\n",
    summary.requests, summary.errors.status, summary.errors.connect + summary.errors.read + summary.errors.write + summary.errors.timeout,
    summary.errors.connect, summary.errors.read, summary.errors.write, summary.errors.timeout,
    summary.requests / (summary.duration / 1e6)))
end
