-- wrk script: counts the responses that are real pages, status 200 with a
-- body of the expected size (between the two arguments, in bytes), and
-- prints "checked OK BAD" when the run ends.
--   wrk ... -s bench/wrk_check.lua URL -- MIN_BYTES [MAX_BYTES]
local threads = {}

function setup(thread)
  table.insert(threads, thread)
end

function init(args)
  lo = tonumber(args[1]) or 0
  hi = tonumber(args[2] or args[1]) or math.huge
  ok, bad = 0, 0
end

function response(status, headers, body)
  if status == 200 and #body >= lo and #body <= hi then
    ok = ok + 1
  else
    bad = bad + 1
  end
end

function done(summary, latency, requests)
  local good, wrong = 0, 0
  for _, thread in ipairs(threads) do
    good = good + thread:get("ok")
    wrong = wrong + thread:get("bad")
  end
  io.write(string.format("checked %d %d\n", good, wrong))
end
