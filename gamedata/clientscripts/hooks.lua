-- Lets several scripts share the three hooks. A script adds its handler
-- under its own name with add_hook (loading it again replaces the handler
-- rather than adding a second one), and each hook calls every handler. A
-- handler that fails is reported through _ALERT and the others still run.
--
-- Scripts load in directory order, so one that needs add_hook before this
-- file has run loads it first:
--   if not add_hook then dofile("clientscripts/hooks.lua") end

client_hooks = client_hooks or {
  auxbox = {},
  auxbox_keypressed = {},
  auxbox_server_message = {},
}

function add_hook(hook, name, handler)
  client_hooks[hook][name] = handler
end

for hook, handlers in pairs(client_hooks) do
  _G[hook] = function(...)
    for name, handler in pairs(handlers) do
      local ok, err = pcall(handler, ...)
      if not ok then _ALERT(name .. ": " .. tostring(err)) end
    end
  end
end
