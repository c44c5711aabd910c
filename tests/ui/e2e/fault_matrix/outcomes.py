"""The expected outcomes a cell of the matrix can hold, each with what it means to the user
and at the simulated sensor."""

# connect: the port is named in step 1.
CONNECTED = "connected"    # the connected status with number and version; address and levels
#                            as the sensor holds them; the command buttons enabled
NO_ANSWER = "no answer"    # the connect reads the address, gives up and reads nothing else;
#                            the status keeps "Нет соединения с датчиком"; buttons disabled
NO_NUMBER = "no number"    # "ДУТ не имеет номера..." with address and levels as read;
#                            buttons disabled
PORT_BUSY = "port busy"    # "Не удается открыть порт!..."; no request reaches the sensor

# F4, F1, F9 and the widening of the level correction dialog.
TAKEN = "taken"            # the success box; the sensor holds what the window shows
FAILED = "failed"          # the failure box; the window keeps its levels; the status shows
#                            the link lost, and the link comes back with the adapter
IGNORED = "ignored"        # no box and no write (widening: its button is disabled)

# A choice in the output settings dialog.
WRITTEN = "written"        # both lists enabled; each choice is written and held; no box
DISABLED = "disabled"      # both lists disabled; nothing written; no box
LOST = "lost"              # lists enabled; the choice pulls the adapter: no box, the status
#                            shows the link lost, the link comes back with the adapter
AS_READ = "as read"        # the dialog's reads meet the port open only if a reconnect is just
#                            running: lists enabled as far as the values read allow; no box
#                            either way, and a disabled list writes nothing
